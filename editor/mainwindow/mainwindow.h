#pragma once
// The main window: the editor, the work folder's file list, the tool bar and the menu bar
// through which every command is reached. The window makes its controls, places the actions
// of the registry (window/actions.h) in its menus and tool bar, and hands the controls and
// actions (EditorParts) to the commands, which live with the code that handles documents, the
// work folder, generation, editing and speech.
#include <QMainWindow>

#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"

class QAction;
class QFileDialog;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QSplitter;
class QTimer;
class QToolButton;
class WorkFolderSettingsDialog;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // What the commands work on: the controls below and the actions.
    EditorParts& parts() { return parts_; }
    // The state of this run (work folder, document, template, author, contact), which the
    // window hands to the commands that read or change it.
    RunState& runState() { return runState_; }

    // The action with that id; nullptr when none has it.
    QAction* action(const QString& id) const;
    // The tool button with that id; nullptr when none has it.
    QToolButton* button(const QString& id) const;

    // The dialog that "Este texto" shows. Created after the main window, so it is handed in;
    // until then the entry shows nothing.
    void setInfoDialog(WorkFolderSettingsDialog* dialog);
    WorkFolderSettingsDialog* infoDialog() const { return parts_.settingsDialog; }

    QFrame* toolBarPanel = nullptr;
    QWidget* editorPanel = nullptr;
    QPlainTextEdit* textEdit = nullptr;
    QSplitter* splitter = nullptr;
    QListWidget* fileListBox = nullptr;
    QLabel* caretIndicator = nullptr;
    QMenuBar* mainMenu = nullptr;
    QFileDialog* openDialog = nullptr;
    QFileDialog* saveDialog = nullptr;
    QTimer* startupTimer = nullptr;
    QTimer* monitorTimer = nullptr;

    // The editor's width when the window first appears.
    static constexpr int kEditorStartWidth = 722;

public slots:
    // Sets the run state to its start values; runs while the window is created.
    void setStartValues();
    // Starts the start-up timer the first time the window becomes the program's active window.
    void onActivated();
    // The start-up step: the timer's one tick.
    void startUp();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createEditorArea();
    void createToolBar();
    void createMenus();
    void createDialogsAndTimers();
    void connectCommands();

    Actions* actions_ = nullptr;
    EditorParts parts_;
    RunState runState_;
    bool activated_ = false;
    bool shown_ = false;
};
