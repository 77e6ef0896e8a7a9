#include "editor/window/actions.h"

#include <QAction>
#include <QList>
#include <QMenu>
#include <QMenuBar>

#include "editor/window/menuaccessible.h"

namespace {

// The menu bar, top to bottom. Menu rows open a menu inside the one that is open, End rows
// close it; an Entry row at the outermost level is a command on the menu bar itself.
enum class Row { Menu, Entry, Separator, End };

struct MenuRow {
    Row kind;
    const char* id = "";
    const char* caption = "";
    const char* shortcut = "";
    const char* spokenName = "";  // a menu's name to screen readers, where its caption is no word
};

constexpr MenuRow kMenuRows[] = {
    {Row::Menu, "fileMenu", "&Arquivo"},
    {Row::Entry, "chooseWorkFolder", "&Selecionar pasta de trabalho"},
    {Row::Menu, "reopenMenu", "&Reabrir pasta de trabalho"},
    {Row::Entry, "recentFolder1"},
    {Row::Entry, "recentFolder2"},
    {Row::Entry, "recentFolder3"},
    {Row::Entry, "recentFolder4"},
    {Row::Entry, "recentFolder5"},
    {Row::Entry, "noRecentFolder", "(nenhuma)"},
    {Row::End},
    {Row::Entry, "showWorkFolder", "&Exibir pasta atual"},
    {Row::Separator},
    {Row::Entry, "newPage", "&Nova página", "Ctrl+N"},
    {Row::Entry, "openFile", "&Abrir texto", "Ctrl+O"},
    {Row::Entry, "save", "&Salvar texto", "Ctrl+S"},
    {Row::Entry, "saveAs", "Salvar texto &Como", "Ctrl+Shift+S"},
    {Row::Separator},
    {Row::Entry, "print", "&Imprimir", "Ctrl+P"},
    {Row::Entry, "printOriginal", "Imprimir &Original"},
    {Row::Entry, "writeBraille", "Gerar para impressora &braille"},
    {Row::Separator},
    {Row::Entry, "quit", "&Terminar", "Ctrl+Q"},
    {Row::End},

    {Row::Menu, "editMenu", "&Editar"},
    {Row::Entry, "undo", "Desfazer", "Ctrl+Z"},
    {Row::Separator},
    {Row::Entry, "cut", "Cor&tar", "Ctrl+X"},
    {Row::Entry, "copy", "Copiar", "Ctrl+C"},
    {Row::Entry, "paste", "Colar", "Ctrl+V"},
    {Row::Separator},
    {Row::Entry, "find", "Localizar", "Ctrl+F"},
    {Row::Entry, "findNext", "Localizar próxima", "F3"},
    {Row::Entry, "replace", "Substituir", "Ctrl+H"},
    {Row::Entry, "selectAll", "Selecionar Tudo", "Ctrl+A"},
    {Row::End},

    {Row::Menu, "insertMenu", "&Inserir"},
    {Row::Entry, "title", "&Título"},
    {Row::Entry, "rule", "&Linha separadora"},
    {Row::Entry, "image", "&Imagem"},
    {Row::Menu, "indentMenu", "Recuo"},
    {Row::Entry, "indentOpen", ">>"},
    {Row::Entry, "indentClose", "<<"},
    {Row::End},
    {Row::Entry, "formula", "Fórmula &Matemática"},
    {Row::Entry, "pageBreak", "&Quebra de página"},
    {Row::Entry, "table", "&Tabela"},
    {Row::Entry, "link", "&Link"},
    {Row::Entry, "label", "&Ponto de acesso"},
    {Row::End},

    // The formula catalogue's submenus follow the separator.
    {Row::Menu, "mathMenu", "&Matemática"},
    {Row::Entry, "formulaList", "Lista geral de fórmulas"},
    {Row::Separator},
    {Row::End},

    {Row::Menu, "formatMenu", "&Formatação"},
    {Row::Menu, "sizeMenu", "&Tamanho"},
    {Row::Entry, "heading1", "H1 (Grande)"},
    {Row::Entry, "heading2", "H2"},
    {Row::Entry, "heading3", "H3"},
    {Row::Entry, "heading4", "H4"},
    {Row::Entry, "heading5", "H5"},
    {Row::Entry, "heading6", "H6 (Micro)"},
    {Row::End},
    {Row::Entry, "bold", "&Negrito"},
    {Row::Entry, "italic", "&Itálico"},
    {Row::Entry, "fixedWidth", "&Espacejamento fixo"},
    {Row::Entry, "centred", "&Centralizado"},
    {Row::Entry, "underline", "&Sublinhado"},
    {Row::End},

    {Row::Menu, "settingsMenu", "&Configurar"},
    {Row::Entry, "workFolderSettings", "Este texto"},
    {Row::Entry, "voiceSettings", "&Sintetizador"},
    {Row::Entry, "font", "&Fonte"},
    {Row::Entry, "linesAsUnits", "Setas andam por linhas do &texto"},
    {Row::Entry, "typingErrorNotice", "&Avisar erros de digitação"},
    {Row::End},

    {Row::Entry, "view", "&Visualizar"},

    {Row::Menu, "speechMenu", "&Falar"},
    {Row::Entry, "speakLine", "&Fórmula", "F9"},
    {Row::Entry, "speakFormula", "Fórmula no &cursor", "Shift+F9"},
    {Row::Entry, "exploreFormula", "&Explorar fórmula", "Ctrl+F9"},
    {Row::Entry, "brailleLine", "Linha em &braille", "Ctrl+Shift+F9"},
    {Row::Entry, "silence", "&Silenciar", "F8"},
    {Row::Separator},
    {Row::Entry, "connectSpeech", "&Ligar Ormivox"},
    {Row::Entry, "connectAutomatically", "Ligar Ormivox &automaticamente"},
    {Row::End},

    {Row::Menu, "helpMenu", "&?", "", "Ajuda"},
    {Row::Entry, "manual", "&Ajuda", "F1"},
    {Row::Entry, "asciiMathTutorial", "&Tutorial AsciiMath"},
    {Row::Entry, "formTips", "&Dicas para criar formulário"},
    {Row::Entry, "about", "&Sobre este programa"},
    {Row::End},
};

using Face = ToolRow::Face;
constexpr const char* kStyleHint = "Negrito/Sublinhado/Itálico";

// What each text button does is said by a screen reader after the button's name: the hint
// that the six share names none of them in particular.
const ToolRow kToolRows[] = {
    {Face::Picture, "newButton", "Arquivo novo", "Arquivo novo", "newPage", "", "document-new", ToolPicture::New},
    {Face::Picture, "openButton", "Abrir arquivo", "Abrir arquivo", "openFile", "", "document-open", ToolPicture::Open},
    {Face::Picture, "saveButton", "Salvar", "Salvar", "save", "", "document-save", ToolPicture::Save},
    {Face::Picture, "configButton", "Configurar", "", "", "", "preferences-system", ToolPicture::Config},
    {Face::Picture, "cutButton", "Cortar seleção", "Cortar seleção", "", "", "edit-cut", ToolPicture::Cut},
    {Face::Picture, "copyButton", "Copiar seleção", "Copiar seleção", "", "", "edit-copy", ToolPicture::Copy},
    {Face::Picture, "pasteButton", "Colar", "Colar", "", "", "edit-paste", ToolPicture::Paste},
    {Face::Picture, "viewButton", "Visualizar", "Visualizar", "view", "", "document-print-preview", ToolPicture::View},
    {Face::Text, "titleButton", "TÍTULO", kStyleHint, "title", "Faz da linha do cursor um título"},
    {Face::Text, "centreButton", "CENTR", kStyleHint, "centred", "Centraliza a seleção"},
    {Face::Text, "boldButton", "NEG", kStyleHint, "bold", "Põe a seleção em negrito"},
    {Face::Text, "italicButton", "ITA", kStyleHint, "italic", "Põe a seleção em itálico"},
    {Face::Text, "underlineButton", "SUBL", kStyleHint, "underline", "Sublinha a seleção"},
    {Face::Text, "fixedWidthButton", "FIXO", kStyleHint, "fixedWidth", "Põe a seleção em espaçamento fixo"},
    {Face::Extension, "vloqFilterButton", "vloq", "", "", ""},
    {Face::Extension, "mdlFilterButton", "mdl", "", "", ""},
    {Face::Extension, "cssFilterButton", "css", "", "", ""},
    {Face::Extension, "allFilesButton", "*.*", "", "", ""},
};

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

Actions::Actions(QObject* owner) : QObject(owner) {
    for (const MenuRow& row : kMenuRows) {
        if (row.kind != Row::Entry) continue;
        auto* entry = new QAction(text(row.caption), owner);
        entry->setObjectName(text(row.id));
        if (*row.shortcut) entry->setShortcut(QKeySequence(text(row.shortcut)));
        byId_.insert(entry->objectName(), entry);
    }
    // The reopen submenu lists only the folders it holds; until there is one it says so.
    for (const char* id : {"recentFolder1", "recentFolder2", "recentFolder3", "recentFolder4", "recentFolder5"})
        get(QLatin1String(id))->setVisible(false);
    get(QStringLiteral("noRecentFolder"))->setEnabled(false);
}

QAction* Actions::get(const QString& id) const { return byId_.value(id, nullptr); }

void Actions::placeMenus(QMenuBar* menuBar) {
    QList<QMenu*> open;  // the menus that enclose the next row
    for (const MenuRow& row : kMenuRows) {
        switch (row.kind) {
        case Row::Menu: {
            QMenu* menu = open.isEmpty() ? menuBar->addMenu(text(row.caption)) : open.back()->addMenu(text(row.caption));
            menu->setObjectName(text(row.id));
            // The open menu names itself to screen readers, as its entry on the bar does.
            const QString spoken = *row.spokenName ? text(row.spokenName) : WithoutAccessMark(text(row.caption));
            menu->setAccessibleName(spoken);
            if (*row.spokenName) SetSpokenName(menu->menuAction(), spoken);
            menu->menuAction()->setObjectName(text(row.id));
            add(menu->menuAction());
            open.push_back(menu);
            break;
        }
        case Row::Entry:
            if (open.isEmpty())
                menuBar->addAction(get(QLatin1String(row.id)));
            else
                open.back()->addAction(get(QLatin1String(row.id)));
            break;
        case Row::Separator:
            open.back()->addSeparator();
            break;
        case Row::End:
            open.pop_back();
            break;
        }
    }
}

void Actions::add(QAction* action) { byId_.insert(action->objectName(), action); }

QMenu* Actions::addMenu(QMenu* parent, const QString& id, const QString& caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(id);
    menu->setAccessibleName(caption);
    menu->menuAction()->setObjectName(id);
    add(menu->menuAction());
    return menu;
}

QAction* Actions::addEntry(QMenu* menu, const QString& id, const QString& caption) {
    auto* entry = new QAction(caption, menu);
    entry->setObjectName(id);
    add(entry);
    menu->addAction(entry);
    return entry;
}

std::span<const ToolRow> Actions::toolRows() { return kToolRows; }

QString Actions::plainCaption(const QString& id) {
    for (const MenuRow& row : kMenuRows)
        if (row.kind == Row::Entry && QLatin1String(row.id) == id) return WithoutAccessMark(text(row.caption));
    return {};
}

