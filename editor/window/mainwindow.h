#pragma once
// The main window: the editor, the work folder's file list, the tool bar and the menu bar
// through which every command is reached. The window owns its controls and maps menu entries,
// tool buttons and shortcuts to commands; the commands themselves live with the code that
// handles documents, the work folder, generation, formatting and speech.
#include <QFont>
#include <QMainWindow>

class QAction;
class QFileDialog;
class QFontDialog;
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

    // The menu entry, submenu or menu-bar command of that objectName; nullptr when none has it.
    QAction* action(const QString& name) const;
    // The tool button of that objectName; nullptr when none has it.
    QToolButton* button(const QString& name) const;

    // The dialog that "Este texto" shows. Created after the main window, so it is handed in;
    // until then the entry shows nothing.
    void setInfoDialog(WorkFolderSettingsDialog* dialog);
    WorkFolderSettingsDialog* infoDialog() const { return infoDialog_; }

    QFrame* toolBarPanel = nullptr;
    QWidget* editorPanel = nullptr;
    QPlainTextEdit* textEdit = nullptr;
    QSplitter* splitter = nullptr;
    QListWidget* fileListBox = nullptr;
    QLabel* caretIndicator = nullptr;
    QMenuBar* mainMenu = nullptr;
    QFileDialog* openDialog = nullptr;
    QFileDialog* saveDialog = nullptr;
    QFontDialog* fontDialog = nullptr;
    QTimer* startupTimer = nullptr;
    QTimer* monitorTimer = nullptr;

    // The editor's width when the window first appears.
    static constexpr int kMemoStartWidth = 722;

public slots:
    // Sets the shared variables to their start values; runs while the window is created.
    void setStartValues();
    // Starts startupTimer the first time the window becomes the program's active window.
    void onActivated();
    // The start-up step: the timer's one tick.
    void startUp();
    // "Este texto": the document-information dialog, modal.
    void showWorkFolderSettings();
    // "&Fonte": the font dialog; a confirmed choice becomes the editor's font for this run.
    void chooseFont();
    // The document tool buttons: "&Nova página", "&Abrir texto", "&Salvar texto" and
    // "&Visualizar", as their menu entries.
    void onNewButton();
    void onOpenButton();
    void onSaveButton();
    void onViewButton();
    // "Selecionar Tudo": selects the whole text of the editor.
    void selectAll();
    // The clipboard tool buttons: the editor's cut, copy and paste of the selection.
    void cut();
    void copy();
    void paste();
    // F9, "&Fórmula": speaks the caret's whole line, each formula read by the speech server.
    void speakLine();
    // "&Ligar Ormivox": connects to the speech server, starting it when needed, and says so.
    void connectSpeech();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createEditorArea();
    void createToolBar();
    void createMenus();
    void createDialogsAndTimers();
    void connectCommands();

    WorkFolderSettingsDialog* infoDialog_ = nullptr;
    QFont fontChoice_;  // the font dialog's last confirmed choice
    bool activated_ = false;
    bool shown_ = false;
};
