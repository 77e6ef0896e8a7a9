#pragma once
// Pictures of the tool bar's buttons: the desktop theme's icon when the theme has one, else a
// small drawing of the same thing, so that no button is ever blank.
#include <QIcon>
#include <QString>

enum class ToolPicture { New, Open, Save, Config, Cut, Copy, Paste, View };

// The theme's icon themeName, or the drawing of picture when the theme lacks it.
QIcon ToolIcon(const QString& themeName, ToolPicture picture);

// The drawing of picture alone, whatever the theme holds.
QIcon DrawnToolIcon(ToolPicture picture);
