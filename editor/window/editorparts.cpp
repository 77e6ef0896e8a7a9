#include "editor/window/editorparts.h"

#include <QAction>
#include <QToolButton>

QToolButton* EditorParts::button(const QString& id) const { return toolBar->findChild<QToolButton*>(id); }

void OnAction(EditorParts& parts, const char* id, void (*command)(EditorParts&)) {
    if (QAction* entry = parts.action(QLatin1String(id)))
        QObject::connect(entry, &QAction::triggered, parts.window, [&parts, command] { command(parts); });
}
