#include "editor/window/editorparts.h"

#include <QAction>
#include <QToolButton>

QToolButton* EditorParts::button(const QString& id) const { return toolBar->findChild<QToolButton*>(id); }

namespace {

QAction* actionToConnect(const EditorParts& parts, const QString& id) {
    QAction* entry = parts.action(id);
    Q_ASSERT_X(entry, "OnAction", qPrintable(id));
    return entry;
}

}  // namespace

void OnAction(EditorParts& parts, const QString& id, std::function<void()> command, QObject* receiver) {
    if (QAction* entry = actionToConnect(parts, id))
        QObject::connect(entry, &QAction::triggered, receiver ? receiver : parts.window, std::move(command));
}

void OnToggle(EditorParts& parts, const char* id, std::function<void(bool on)> command, QObject* receiver) {
    if (QAction* entry = actionToConnect(parts, QLatin1String(id)))
        QObject::connect(entry, &QAction::triggered, receiver ? receiver : parts.window, std::move(command));
}
