#pragma once
// Test rows that name a control after a menu entry: "=id" stands for the caption of the entry
// id without its Alt mark, so that the captions themselves are written down once, in the
// command map's test.
#include <QAction>
#include <QString>

#include "editor/mainwindow/mainwindow.h"

// The name the row expects: the entry's caption for "=id", else name as given; a row naming
// no entry gives a name no control has.
inline QString ExpectedName(const MainWindow& window, const QString& name) {
    if (!name.startsWith(QLatin1Char('='))) return name;
    const QAction* entry = window.action(name.mid(1));
    return entry ? entry->text().remove(QLatin1Char('&')) : QStringLiteral("<no entry %1>").arg(name);
}
