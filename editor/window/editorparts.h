#pragma once
// What the commands work on: the main window's controls and its actions. The window makes
// them and hands this to each command, so no command needs the window itself.
#include <functional>

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

// The one way a menu or tool-bar command is connected: runs command whenever the action with
// that id is triggered, for as long as receiver lives (the main window when none is given).
void OnAction(EditorParts& parts, const QString& id, std::function<void()> command, QObject* receiver = nullptr);
inline void OnAction(EditorParts& parts, const char* id, std::function<void()> command, QObject* receiver = nullptr) {
    OnAction(parts, QLatin1String(id), std::move(command), receiver);
}

// The same for a checkable action: command is given the action's new state.
void OnToggle(EditorParts& parts, const char* id, std::function<void(bool on)> command, QObject* receiver = nullptr);

// Runs command(parts).
inline void OnAction(EditorParts& parts, const char* id, void (*command)(EditorParts&)) {
    OnAction(parts, id, [&parts, command] { command(parts); });
}

// Runs the slot of object, for as long as object lives.
template <typename Object>
void OnAction(EditorParts& parts, const char* id, Object* object, void (Object::*slot)()) {
    OnAction(parts, id, [object, slot] { (object->*slot)(); }, object);
}
