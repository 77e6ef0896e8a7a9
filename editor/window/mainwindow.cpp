#include "editor/window/mainwindow.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "editor/window/dialogparts.h"
#include "editor/editing/formatcommands.h"
#include "editor/editing/insertcommands.h"
#include "editor/window/textaccessible.h"
#include "editor/speaking/speechmenu.h"
#include "editor/window/toolicons.h"
#include "editor/workfolder/workfoldersettingsdialog.h"
#include "editor/state/runstate.h"

namespace {

// The menu bar, top to bottom. Menu rows open a menu inside the one that is open, End rows
// close it; an Entry row at the outermost level is a command on the menu bar itself.
enum class Row { Menu, Entry, Separator, End };

struct MenuRow {
    Row kind;
    const char* name = "";
    const char* caption = "";
    const char* shortcut = "";
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
    {Row::End},

    {Row::Entry, "view", "&Visualizar"},

    {Row::Menu, "speechMenu", "&Falar"},
    {Row::Entry, "speakLine", "&Fórmula", "F9"},
    {Row::Entry, "speakFormula", "Fórmula no &cursor", "Shift+F9"},
    {Row::Entry, "exploreFormula", "&Explorar fórmula", "Ctrl+F9"},
    {Row::Entry, "silence", "&Silenciar", "F8"},
    {Row::Separator},
    {Row::Entry, "connectSpeech", "&Ligar Ormivox"},
    {Row::Entry, "connectAutomatically", "Ligar Ormivox &automaticamente"},
    {Row::End},

    {Row::Menu, "helpMenu", "&?"},
    {Row::Entry, "manual", "&Ajuda", "F1"},
    {Row::Entry, "asciiMathTutorial", "&Tutorial AsciiMath"},
    {Row::Entry, "formTips", "&Dicas para criar formulário"},
    {Row::Entry, "about", "&Sobre este programa"},
    {Row::End},
};

// The tool bar, left to right.
enum class Face { Picture, Text, Extension };

struct ToolRow {
    Face face;
    const char* name;
    const char* caption;  // the face of a text button, else the accessible name
    const char* hint;
    const char* action;   // the menu entry that the button stands for, if any
    const char* theme = "";
    ToolPicture picture = ToolPicture::New;
};

const ToolRow kToolRows[] = {
    {Face::Picture, "newButton", "Arquivo novo", "Arquivo novo", "newPage", "document-new", ToolPicture::New},
    {Face::Picture, "openButton", "Abrir arquivo", "Abrir arquivo", "openFile", "document-open", ToolPicture::Open},
    {Face::Picture, "saveButton", "Salvar", "Salvar", "save", "document-save", ToolPicture::Save},
    {Face::Picture, "configButton", "Configurar", "", "", "preferences-system", ToolPicture::Config},
    {Face::Picture, "cutButton", "Cortar seleção", "Cortar seleção", "", "edit-cut", ToolPicture::Cut},
    {Face::Picture, "copyButton", "Copiar seleção", "Copiar seleção", "", "edit-copy", ToolPicture::Copy},
    {Face::Picture, "pasteButton", "Colar", "Colar", "", "edit-paste", ToolPicture::Paste},
    {Face::Picture, "viewButton", "Visualizar", "Visualizar", "view", "document-print-preview", ToolPicture::View},
    {Face::Text, "titleButton", "TÍTULO", "Negrito/Sublinhado/Itálico", "title"},
    {Face::Text, "centreButton", "CENTR", "Negrito/Sublinhado/Itálico", "centred"},
    {Face::Text, "boldButton", "NEG", "Negrito/Sublinhado/Itálico", "bold"},
    {Face::Text, "italicButton", "ITA", "Negrito/Sublinhado/Itálico", "italic"},
    {Face::Text, "underlineButton", "SUBL", "Negrito/Sublinhado/Itálico", "underline"},
    {Face::Text, "fixedWidthButton", "FIXO", "Negrito/Sublinhado/Itálico", "fixedWidth"},
    {Face::Extension, "vloqFilterButton", "vloq", "", ""},
    {Face::Extension, "mdlFilterButton", "mdl", "", ""},
    {Face::Extension, "cssFilterButton", "css", "", ""},
    {Face::Extension, "allFilesButton", "*.*", "", ""},
};

// What each text button does, said by a screen reader after the button's name: the hint that
// the six share names none of them in particular.
constexpr std::pair<std::string_view, const char*> kTextButtonDescriptions[] = {
    {"titleButton", "Faz da linha do cursor um título"},
    {"centreButton", "Centraliza a seleção"},
    {"boldButton", "Põe a seleção em negrito"},
    {"italicButton", "Põe a seleção em itálico"},
    {"underlineButton", "Sublinha a seleção"},
    {"fixedWidthButton", "Põe a seleção em espaçamento fixo"},
};

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

// The caption of the menu entry called name, without its access-key mark.
QString entryCaption(const char* name) {
    for (const MenuRow& row : kMenuRows)
        if (row.kind == Row::Entry && std::string_view(row.name) == name) return text(row.caption).remove(QLatin1Char('&'));
    return {};
}

// family at pixelSize where the font is installed, else fallback at the same size.
QFont fontOrFallback(const QString& family, int pixelSize, QFont fallback) {
    QFont font = QFontDatabase::hasFamily(family) ? QFont(family) : fallback;
    font.setPixelSize(pixelSize);
    return font;
}

// File list rows of a fixed height, whatever the font.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    FixedRowDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velloq"));
    if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))) {
        QFont base(QStringLiteral("MS Sans Serif"));
        base.setPixelSize(11);
        setFont(base);
    }

    createEditorArea();
    createToolBar();
    createMenus();
    createDialogsAndTimers();
    connectCommands();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBarPanel);
    layout->addWidget(editorPanel, 1);
    setCentralWidget(central);

    resize(948, 802);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    textEdit->setFocus();
    QCoreApplication::instance()->installEventFilter(new EmptyFieldFocus(this));

    setStartValues();
    StartSpeech(this);
}

void MainWindow::createEditorArea() {
    editorPanel = new QWidget(this);
    editorPanel->setObjectName(QStringLiteral("editorPanel"));

    textEdit = new QPlainTextEdit(editorPanel);
    ReportDocumentLines(textEdit);  // before anything asks for its accessible interface
    textEdit->setObjectName(QStringLiteral("textEdit"));
    textEdit->setAccessibleName(QStringLiteral("Texto do documento"));
    textEdit->setFont(fontOrFallback(QStringLiteral("Consolas"), 16,
                                  QFontDatabase::systemFont(QFontDatabase::FixedFont)));
    textEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    textEdit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    textEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A match that the find dialog selects shows as plainly as a selection made by hand while
    // the keyboard is in the dialog.
    QPalette colours = textEdit->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setBrush(QPalette::Inactive, role, colours.brush(QPalette::Active, role));
    textEdit->setPalette(colours);

    fileListBox = new QListWidget(editorPanel);
    fileListBox->setObjectName(QStringLiteral("fileListBox"));
    fileListBox->setAccessibleName(QStringLiteral("Arquivos da pasta de trabalho"));
    fileListBox->setFont(fontOrFallback(QStringLiteral("Calibri"), 15, QApplication::font()));
    fileListBox->setItemDelegate(new FixedRowDelegate(18, fileListBox));
    fileListBox->setUniformItemSizes(true);
    fileListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    fileListBox->setFocusPolicy(Qt::ClickFocus);

    splitter = new QSplitter(Qt::Horizontal, editorPanel);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setHandleWidth(2);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(textEdit);
    splitter->addWidget(fileListBox);
    // The editor keeps its width when the window is resized; the list takes the rest.
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QHBoxLayout(editorPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

void MainWindow::createToolBar() {
    toolBarPanel = new QFrame(this);
    toolBarPanel->setObjectName(QStringLiteral("toolBarPanel"));
    toolBarPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    toolBarPanel->setFixedHeight(25);
    toolBarPanel->setAccessibleName(QStringLiteral("Barra de ferramentas"));

    auto* layout = new QHBoxLayout(toolBarPanel);
    layout->setContentsMargins(1, 0, 1, 0);
    layout->setSpacing(1);

    QFont textFace = fontOrFallback(QStringLiteral("Times New Roman"), 11, [] {
        QFont serif;
        serif.setStyleHint(QFont::Serif);
        serif.setFamily(serif.defaultFamily());
        return serif;
    }());
    textFace.setUnderline(true);

    for (const ToolRow& row : kToolRows) {
        // The caret indicator follows the command buttons; the extension buttons keep to the
        // right edge.
        if (row.face == Face::Extension && !caretIndicator) {
            caretIndicator = new QLabel(QStringLiteral("L=1  C=1"), toolBarPanel);
            caretIndicator->setObjectName(QStringLiteral("caretIndicator"));
            caretIndicator->setMinimumWidth(90);
            caretIndicator->setContentsMargins(8, 0, 0, 0);
            layout->addWidget(caretIndicator);
            layout->addStretch(1);
        }
        auto* button = new QToolButton(toolBarPanel);
        button->setObjectName(text(row.name));
        button->setToolTip(text(row.hint));
        switch (row.face) {
        case Face::Picture:
            button->setIcon(ToolIcon(text(row.theme), row.picture));
            button->setIconSize(QSize(16, 16));
            button->setAutoRaise(true);
            button->setAccessibleName(text(row.caption));
            break;
        case Face::Text:
            button->setText(text(row.caption));
            button->setFont(textFace);
            // A screen reader says the command the abbreviation stands for ("Negrito", not
            // "NEG"): the caption of its menu entry.
            button->setAccessibleName(entryCaption(row.action));
            for (const auto& [name, description] : kTextButtonDescriptions)
                if (name == row.name) button->setAccessibleDescription(text(description));
            break;
        case Face::Extension:
            button->setText(text(row.caption));
            button->setFocusPolicy(Qt::NoFocus);
            break;
        }
        layout->addWidget(button);
    }
}

void MainWindow::createMenus() {
    mainMenu = menuBar();
    mainMenu->setObjectName(QStringLiteral("mainMenu"));

    QList<QMenu*> open;  // the menus that enclose the next row
    for (const MenuRow& row : kMenuRows) {
        switch (row.kind) {
        case Row::Menu: {
            QMenu* menu = open.isEmpty() ? mainMenu->addMenu(text(row.caption))
                                         : open.back()->addMenu(text(row.caption));
            menu->setObjectName(text(row.name));
            menu->menuAction()->setObjectName(text(row.name));
            open.push_back(menu);
            break;
        }
        case Row::Entry: {
            auto* entry = new QAction(text(row.caption), this);
            entry->setObjectName(text(row.name));
            if (*row.shortcut) entry->setShortcut(QKeySequence(text(row.shortcut)));
            if (open.isEmpty())
                mainMenu->addAction(entry);
            else
                open.back()->addAction(entry);
            break;
        }
        case Row::Separator:
            open.back()->addSeparator();
            break;
        case Row::End:
            open.pop_back();
            break;
        }
    }
    // The reopen submenu lists only the folders it holds; until there is one it says so.
    for (const char* name : {"recentFolder1", "recentFolder2", "recentFolder3", "recentFolder4", "recentFolder5"}) action(QLatin1String(name))->setVisible(false);
    action(QStringLiteral("noRecentFolder"))->setEnabled(false);
}

void MainWindow::createDialogsAndTimers() {
    openDialog = new QFileDialog(this);
    openDialog->setObjectName(QStringLiteral("openDialog"));
    openDialog->setAcceptMode(QFileDialog::AcceptOpen);
    openDialog->setFileMode(QFileDialog::ExistingFile);
    // "*.*" stands for every file, as users expect from it; on its own the pattern would
    // pass over names without a dot.
    openDialog->setNameFilters({QStringLiteral("*.vloq"), QStringLiteral("*.mdl"), QStringLiteral("*.* (*)")});

    saveDialog = new QFileDialog(this);
    saveDialog->setObjectName(QStringLiteral("saveDialog"));
    saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog->setFileMode(QFileDialog::AnyFile);
    saveDialog->setNameFilters({QStringLiteral("*.vloq"), QStringLiteral("*.mdl"), QStringLiteral("*.css"),
                                 QStringLiteral("*.* (*)")});

    fontDialog = new QFontDialog(this);
    fontDialog->setObjectName(QStringLiteral("fontDialog"));
    fontChoice_ = QFont(QStringLiteral("MS Sans Serif"));
    fontChoice_.setPixelSize(11);

    startupTimer = new QTimer(this);
    startupTimer->setObjectName(QStringLiteral("startupTimer"));
    startupTimer->setInterval(100);
    startupTimer->setSingleShot(true);

    monitorTimer = new QTimer(this);
    monitorTimer->setObjectName(QStringLiteral("monitorTimer"));
    monitorTimer->setInterval(300);
}

void MainWindow::connectCommands() {
    connect(startupTimer, &QTimer::timeout, this, &MainWindow::startUp);
    connect(action(QStringLiteral("workFolderSettings")), &QAction::triggered, this, &MainWindow::showWorkFolderSettings);
    connect(action(QStringLiteral("font")), &QAction::triggered, this, &MainWindow::chooseFont);
    connect(action(QStringLiteral("selectAll")), &QAction::triggered, this, &MainWindow::selectAll);
    connect(button(QStringLiteral("cutButton")), &QToolButton::clicked, this, &MainWindow::cut);
    connect(button(QStringLiteral("copyButton")), &QToolButton::clicked, this, &MainWindow::copy);
    connect(button(QStringLiteral("pasteButton")), &QToolButton::clicked, this, &MainWindow::paste);
    // A tool button that stands for a menu entry runs whatever that entry runs; the document
    // buttons through handlers of their own.
    const std::pair<const char*, void (MainWindow::*)()> documentButtons[] = {
        {"newButton", &MainWindow::onNewButton},
        {"openButton", &MainWindow::onOpenButton},
        {"saveButton", &MainWindow::onSaveButton},
        {"viewButton", &MainWindow::onViewButton},
    };
    for (const ToolRow& row : kToolRows) {
        if (!*row.action) continue;
        const auto own = std::find_if(std::begin(documentButtons), std::end(documentButtons),
                                      [&](const auto& b) { return std::string_view(b.first) == row.name; });
        if (own != std::end(documentButtons)) {
            connect(button(text(row.name)), &QToolButton::clicked, this, own->second);
            continue;
        }
        QAction* entry = action(text(row.action));
        connect(button(text(row.name)), &QToolButton::clicked, entry, &QAction::trigger);
    }
    connect(action(QStringLiteral("speakLine")), &QAction::triggered, this, &MainWindow::speakLine);
    connect(action(QStringLiteral("connectSpeech")), &QAction::triggered, this, &MainWindow::connectSpeech);
    ConnectFormattingCommands(this);
    ConnectInsertCommands(this);
    ConnectSpeechCommands(this);
}

QAction* MainWindow::action(const QString& name) const {
    for (QAction* candidate : findChildren<QAction*>())
        if (candidate->objectName() == name) return candidate;
    return nullptr;
}

QToolButton* MainWindow::button(const QString& name) const { return toolBarPanel->findChild<QToolButton*>(name); }

void MainWindow::setInfoDialog(WorkFolderSettingsDialog* dialog) { infoDialog_ = dialog; }

void MainWindow::setStartValues() { runstate::SetStartValues(); }

void MainWindow::onActivated() {
    // Only the first activation counts: coming back from a dialog must not run the
    // start-up step again.
    if (activated_) return;
    activated_ = true;
    startupTimer->start();
}

void MainWindow::startUp() { startupTimer->stop(); }

void MainWindow::showWorkFolderSettings() {
    if (infoDialog_) infoDialog_->exec();
}

void MainWindow::chooseFont() {
    fontDialog->setCurrentFont(fontChoice_);
    if (fontDialog->exec() != QDialog::Accepted) return;
    fontChoice_ = fontDialog->selectedFont();
    textEdit->setFont(fontChoice_);
}

void MainWindow::onNewButton() { action(QStringLiteral("newPage"))->trigger(); }
void MainWindow::onOpenButton() { action(QStringLiteral("openFile"))->trigger(); }
void MainWindow::onSaveButton() { action(QStringLiteral("save"))->trigger(); }
void MainWindow::onViewButton() { action(QStringLiteral("view"))->trigger(); }

void MainWindow::selectAll() { textEdit->selectAll(); }
void MainWindow::cut() { textEdit->cut(); }
void MainWindow::copy() { textEdit->copy(); }
void MainWindow::paste() { textEdit->paste(); }

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    const int rest = splitter->width() - splitter->handleWidth() - kMemoStartWidth;
    splitter->setSizes({kMemoStartWidth, qMax(rest, 0)});
}
