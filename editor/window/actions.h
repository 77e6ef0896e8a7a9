#pragma once
// Every command of the editor as one QAction, made once from one table: its stable id, its
// caption with the Alt letter, its shortcut, and the menu it sits in; and the tool bar's rows,
// each naming the action it stands for. The main window places them; the commands look their
// actions up here by id and connect to them.
#include <QHash>
#include <QObject>
#include <QString>
#include <span>

#include "editor/window/menuaccessible.h"
#include "editor/window/toolicons.h"

class QAction;
class QMenu;
class QMenuBar;

// A row of the tool bar, left to right.
struct ToolRow {
    enum class Face { Picture, Text, Extension };
    Face face;
    const char* id;
    const char* caption;      // the face of a text button, else the accessible name
    const char* hint;         // the tooltip
    const char* action;       // the id of the action the button stands for, or ""
    const char* description;  // what a text button does, said after its name, or ""
    const char* theme = "";
    ToolPicture picture = ToolPicture::New;
};

class Actions : public QObject {
public:
    // Makes every action, owned by owner (whose shortcuts they then are).
    explicit Actions(QObject* owner);

    // The action with that id; nullptr for an unknown id.
    QAction* get(const QString& id) const;

    // Fills menuBar with the menus, in the table's order: each menu (and the menu action
    // that opens it, which get() then finds) carries its id as objectName.
    void placeMenus(QMenuBar* menuBar);

    // The entries that the table cannot list because they come from data (the formula
    // catalogue): a submenu of parent with that id, its caption also its name to screen
    // readers, and an entry of menu with that id and caption. get() then finds either by id.
    QMenu* addMenu(QMenu* parent, const QString& id, const QString& caption);
    QAction* addEntry(QMenu* menu, const QString& id, const QString& caption);

    // The tool bar's rows, left to right.
    static std::span<const ToolRow> toolRows();

    // The caption of the action with that id, without its Alt mark; empty for an unknown id.
    static QString plainCaption(const QString& id);

private:
    void add(QAction* action);

    QHash<QString, QAction*> byId_;
};
