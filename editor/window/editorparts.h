#pragma once
// What the commands work on: the main window's controls and its actions. The window makes
// them and hands this to each command, so no command needs the window itself.
#include <QString>
#include <QWidget>

#include "editor/window/actions.h"

class QAction;
class QFileDialog;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTimer;
class QToolButton;
class QWidget;
class WorkFolderSettingsDialog;

struct EditorParts {
    QWidget* window = nullptr;             // the parent of dialogs, the owner of the caption
    QPlainTextEdit* textEdit = nullptr;    // the document's text
    QListWidget* fileListBox = nullptr;    // the work folder's files
    QLabel* caretIndicator = nullptr;      // "L=1  C=1"
    QWidget* toolBar = nullptr;            // holds the tool buttons
    QFileDialog* openDialog = nullptr;
    QFileDialog* saveDialog = nullptr;
    QTimer* startupTimer = nullptr;        // the start-up step's one tick
    WorkFolderSettingsDialog* settingsDialog = nullptr;  // "Este texto"; made after the window
    Actions* actions = nullptr;

    // The action with that id; nullptr for an unknown id.
    QAction* action(const QString& id) const { return actions->get(id); }
    // The tool button with that id; nullptr for an unknown id.
    QToolButton* button(const QString& id) const;
};

// The child window of the main window named name, made as its child when there is none: the
// program entry makes the dialogs in their order, and a command that finds none makes its own.
template <typename Window>
Window* OwnedWindow(const EditorParts& parts, const char* name) {
    if (auto* found = parts.window->findChild<Window*>(QLatin1String(name), Qt::FindDirectChildrenOnly)) return found;
    return new Window(parts.window);
}

// Runs command(parts) whenever the action with that id is triggered.
void OnAction(EditorParts& parts, const char* id, void (*command)(EditorParts&));
