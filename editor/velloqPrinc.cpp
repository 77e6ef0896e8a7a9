#include "editor/velloqPrinc.h"

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

#include "editor/formatcommands.h"
#include "editor/insertcommands.h"
#include "editor/memoaccessible.h"
#include "editor/speechcommands.h"
#include "editor/toolicons.h"
#include "editor/uinfoDoc.h"
#include "editor/uvars.h"

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
    {Row::Menu, "Arquivo1", "&Arquivo"},
    {Row::Entry, "escolherPastaBase1", "&Selecionar pasta de trabalho"},
    {Row::Menu, "Reabrir1", "&Reabrir pasta de trabalho"},
    {Row::Entry, "N11"},
    {Row::Entry, "N21"},
    {Row::Entry, "N31"},
    {Row::Entry, "N41"},
    {Row::Entry, "N51"},
    {Row::Entry, "Nenhuma1", "(nenhuma)"},
    {Row::End},
    {Row::Entry, "Mostrarpastaatual1", "&Exibir pasta atual"},
    {Row::Separator},
    {Row::Entry, "Novo1", "&Nova página", "Ctrl+N"},
    {Row::Entry, "Abrir1", "&Abrir texto", "Ctrl+O"},
    {Row::Entry, "Salvar1", "&Salvar texto", "Ctrl+S"},
    {Row::Entry, "SalvarComo1", "Salvar texto &Como", "Ctrl+Shift+S"},
    {Row::Separator},
    {Row::Entry, "Imprimirformatado1", "&Imprimir", "Ctrl+P"},
    {Row::Entry, "ImprimirOriginal1", "Imprimir &Original"},
    {Row::Separator},
    {Row::Entry, "Terminar", "&Terminar", "Ctrl+Q"},
    {Row::End},

    {Row::Menu, "Editar1", "&Editar"},
    {Row::Entry, "Desfazer1", "Desfazer", "Ctrl+Z"},
    {Row::Separator},
    {Row::Entry, "Cortar1", "Cor&tar", "Ctrl+X"},
    {Row::Entry, "Copiar1", "Copiar", "Ctrl+C"},
    {Row::Entry, "Colar1", "Colar", "Ctrl+V"},
    {Row::Separator},
    {Row::Entry, "Localizar1", "Localizar", "Ctrl+F"},
    {Row::Entry, "LocalizarProxima1", "Localizar próxima", "F3"},
    {Row::Entry, "Substituir1", "Substituir", "Ctrl+H"},
    {Row::Entry, "SelecionarTudo1", "Selecionar Tudo", "Ctrl+A"},
    {Row::End},

    {Row::Menu, "Inserir1", "&Inserir"},
    {Row::Entry, "Titulo1", "&Título"},
    {Row::Entry, "Linhaseparadora1", "&Linha separadora"},
    {Row::Entry, "Imagem1", "&Imagem"},
    {Row::Menu, "Recuo1", "Recuo"},
    {Row::Entry, "RecuoAbre1", ">>"},
    {Row::Entry, "RecuoFecha1", "<<"},
    {Row::End},
    {Row::Entry, "FormulaMatematica1", "Fórmula &Matemática"},
    {Row::Entry, "Quebradepagina1", "&Quebra de página"},
    {Row::Entry, "Tabela1", "&Tabela"},
    {Row::Entry, "Link1", "&Link"},
    {Row::Entry, "Rotulo1", "&Ponto de acesso"},
    {Row::End},

    // The formula catalogue's submenus follow the separator.
    {Row::Menu, "Matematica1", "&Matemática"},
    {Row::Entry, "Sitematematicapt1", "Lista geral de fórmulas"},
    {Row::Separator},
    {Row::End},

    {Row::Menu, "Formatacao1", "&Formatação"},
    {Row::Menu, "Tamanho1", "&Tamanho"},
    {Row::Entry, "H1Grande1", "H1 (Grande)"},
    {Row::Entry, "H21", "H2"},
    {Row::Entry, "H31", "H3"},
    {Row::Entry, "H41", "H4"},
    {Row::Entry, "H51", "H5"},
    {Row::Entry, "H6Micro1", "H6 (Micro)"},
    {Row::End},
    {Row::Entry, "Negrito1", "&Negrito"},
    {Row::Entry, "Italico1", "&Itálico"},
    {Row::Entry, "Espacejamentofixo1", "&Espacejamento fixo"},
    {Row::Entry, "Centralizado1", "&Centralizado"},
    {Row::Entry, "Sublinhado1", "&Sublinhado"},
    {Row::End},

    {Row::Menu, "Configurar1", "&Configurar"},
    {Row::Entry, "Informaes1", "Este texto"},
    {Row::Entry, "Sintetizador1", "&Sintetizador"},
    {Row::Entry, "Fontenatela1", "&Fonte"},
    {Row::End},

    {Row::Entry, "Visualizar1", "&Visualizar"},

    {Row::Menu, "falar1", "&Falar"},
    {Row::Entry, "Formula2", "&Fórmula", "F9"},
    {Row::Entry, "FormulaNoCursor1", "Fórmula no &cursor", "Shift+F9"},
    {Row::Entry, "ExplorarFormula1", "&Explorar fórmula", "Ctrl+F9"},
    {Row::Entry, "Silenciar1", "&Silenciar", "F8"},
    {Row::Separator},
    {Row::Entry, "LigarOrmivox1", "&Ligar Ormivox"},
    {Row::Entry, "LigarAutomaticamente1", "Ligar Ormivox &automaticamente"},
    {Row::End},

    {Row::Menu, "Ajuda1", "&?"},
    {Row::Entry, "Ajuda2", "&Ajuda", "F1"},
    {Row::Entry, "TutorialAsciiMath1", "&Tutorial AsciiMath"},
    {Row::Entry, "Dicasparacriarformulario1", "&Dicas para criar formulário"},
    {Row::Entry, "Sobreesteprograma1", "&Sobre este programa"},
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
    {Face::Picture, "newButton1", "Arquivo novo", "Arquivo novo", "Novo1", "document-new", ToolPicture::New},
    {Face::Picture, "OpenButton", "Abrir arquivo", "Abrir arquivo", "Abrir1", "document-open", ToolPicture::Open},
    {Face::Picture, "saveButton", "Salvar", "Salvar", "Salvar1", "document-save", ToolPicture::Save},
    {Face::Picture, "ConfigBtn", "Configurar", "", "", "preferences-system", ToolPicture::Config},
    {Face::Picture, "CutBtn", "Cortar seleção", "Cortar seleção", "", "edit-cut", ToolPicture::Cut},
    {Face::Picture, "CopyBtn", "Copiar seleção", "Copiar seleção", "", "edit-copy", ToolPicture::Copy},
    {Face::Picture, "PasteBtn", "Colar", "Colar", "", "edit-paste", ToolPicture::Paste},
    {Face::Picture, "genvisBtn", "Visualizar", "Visualizar", "Visualizar1", "document-print-preview", ToolPicture::View},
    {Face::Text, "TituloBtn", "TÍTULO", "Negrito/Sublinhado/Itálico", "Titulo1"},
    {Face::Text, "CentrBtn", "CENTR", "Negrito/Sublinhado/Itálico", "Centralizado1"},
    {Face::Text, "negBtn", "NEG", "Negrito/Sublinhado/Itálico", "Negrito1"},
    {Face::Text, "itaBtn", "ITA", "Negrito/Sublinhado/Itálico", "Italico1"},
    {Face::Text, "sublBtn", "SUBL", "Negrito/Sublinhado/Itálico", "Sublinhado1"},
    {Face::Text, "LargFixaBtn", "FIXO", "Negrito/Sublinhado/Itálico", "Espacejamentofixo1"},
    {Face::Extension, "btnVloq", "vloq", "", ""},
    {Face::Extension, "btnMdl", "mdl", "", ""},
    {Face::Extension, "btnCss", "css", "", ""},
    {Face::Extension, "btnTodos", "*.*", "", ""},
};

// What each text button does, said by a screen reader after the button's name: the hint that
// the six share names none of them in particular.
constexpr std::pair<std::string_view, const char*> kTextButtonDescriptions[] = {
    {"TituloBtn", "Faz da linha do cursor um título"},
    {"CentrBtn", "Centraliza a seleção"},
    {"negBtn", "Põe a seleção em negrito"},
    {"itaBtn", "Põe a seleção em itálico"},
    {"sublBtn", "Sublinha a seleção"},
    {"LargFixaBtn", "Põe a seleção em espaçamento fixo"},
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

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
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
    layout->addWidget(Panel1);
    layout->addWidget(Panel2, 1);
    setCentralWidget(central);

    resize(948, 802);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    Memo1->setFocus();

    FormCreate();
    StartSpeech(this);
}

void TForm1::createEditorArea() {
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));

    Memo1 = new QPlainTextEdit(Panel2);
    ReportDocumentLines(Memo1);  // before anything asks for its accessible interface
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Texto do documento"));
    Memo1->setFont(fontOrFallback(QStringLiteral("Consolas"), 16,
                                  QFontDatabase::systemFont(QFontDatabase::FixedFont)));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A match that the find dialog selects shows as plainly as a selection made by hand while
    // the keyboard is in the dialog.
    QPalette colours = Memo1->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setBrush(QPalette::Inactive, role, colours.brush(QPalette::Active, role));
    Memo1->setPalette(colours);

    lb_arquivos = new QListWidget(Panel2);
    lb_arquivos->setObjectName(QStringLiteral("lb_arquivos"));
    lb_arquivos->setAccessibleName(QStringLiteral("Arquivos da pasta de trabalho"));
    lb_arquivos->setFont(fontOrFallback(QStringLiteral("Calibri"), 15, QApplication::font()));
    lb_arquivos->setItemDelegate(new FixedRowDelegate(18, lb_arquivos));
    lb_arquivos->setUniformItemSizes(true);
    lb_arquivos->setSelectionMode(QAbstractItemView::SingleSelection);
    lb_arquivos->setFocusPolicy(Qt::ClickFocus);

    Splitter1 = new QSplitter(Qt::Horizontal, Panel2);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(2);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(Memo1);
    Splitter1->addWidget(lb_arquivos);
    // The editor keeps its width when the window is resized; the list takes the rest.
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    auto* layout = new QHBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter1);
}

void TForm1::createToolBar() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setFixedHeight(25);
    Panel1->setAccessibleName(QStringLiteral("Barra de ferramentas"));

    auto* layout = new QHBoxLayout(Panel1);
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
        if (row.face == Face::Extension && !l_lincol) {
            l_lincol = new QLabel(QStringLiteral("L=1  C=1"), Panel1);
            l_lincol->setObjectName(QStringLiteral("l_lincol"));
            l_lincol->setMinimumWidth(90);
            l_lincol->setContentsMargins(8, 0, 0, 0);
            layout->addWidget(l_lincol);
            layout->addStretch(1);
        }
        auto* button = new QToolButton(Panel1);
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

void TForm1::createMenus() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    QList<QMenu*> open;  // the menus that enclose the next row
    for (const MenuRow& row : kMenuRows) {
        switch (row.kind) {
        case Row::Menu: {
            QMenu* menu = open.isEmpty() ? MainMenu1->addMenu(text(row.caption))
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
                MainMenu1->addAction(entry);
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
    for (const char* name : {"N11", "N21", "N31", "N41", "N51"}) action(QLatin1String(name))->setVisible(false);
    action(QStringLiteral("Nenhuma1"))->setEnabled(false);
}

void TForm1::createDialogsAndTimers() {
    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    // "*.*" stands for every file, as users expect from it; on its own the pattern would
    // pass over names without a dot.
    OpenDialog1->setNameFilters({QStringLiteral("*.vloq"), QStringLiteral("*.mdl"), QStringLiteral("*.* (*)")});

    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setNameFilters({QStringLiteral("*.vloq"), QStringLiteral("*.mdl"), QStringLiteral("*.css"),
                                 QStringLiteral("*.* (*)")});

    FontDialog1 = new QFontDialog(this);
    FontDialog1->setObjectName(QStringLiteral("FontDialog1"));
    fontChoice_ = QFont(QStringLiteral("MS Sans Serif"));
    fontChoice_.setPixelSize(11);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);

    TimerMonit = new QTimer(this);
    TimerMonit->setObjectName(QStringLiteral("TimerMonit"));
    TimerMonit->setInterval(300);
}

void TForm1::connectCommands() {
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(action(QStringLiteral("Informaes1")), &QAction::triggered, this, &TForm1::Informaes1Click);
    connect(action(QStringLiteral("Fontenatela1")), &QAction::triggered, this, &TForm1::Fontenatela1Click);
    connect(action(QStringLiteral("SelecionarTudo1")), &QAction::triggered, this, &TForm1::SelecionarTudo1Click);
    connect(button(QStringLiteral("CutBtn")), &QToolButton::clicked, this, &TForm1::CutBtnClick);
    connect(button(QStringLiteral("CopyBtn")), &QToolButton::clicked, this, &TForm1::CopyBtnClick);
    connect(button(QStringLiteral("PasteBtn")), &QToolButton::clicked, this, &TForm1::PasteBtnClick);
    // A tool button that stands for a menu entry runs whatever that entry runs; the document
    // buttons through handlers of their own.
    const std::pair<const char*, void (TForm1::*)()> documentButtons[] = {
        {"newButton1", &TForm1::newButton1Click},
        {"OpenButton", &TForm1::OpenButtonClick},
        {"saveButton", &TForm1::saveButtonClick},
        {"genvisBtn", &TForm1::genvisBtnClick},
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
    connect(action(QStringLiteral("Formula2")), &QAction::triggered, this, &TForm1::Formula2Click);
    connect(action(QStringLiteral("LigarOrmivox1")), &QAction::triggered, this, &TForm1::LigarOrmivox1Click);
    ConnectFormattingCommands(this);
    ConnectInsertCommands(this);
    ConnectSpeechCommands(this);
}

QAction* TForm1::action(const QString& name) const {
    for (QAction* candidate : findChildren<QAction*>())
        if (candidate->objectName() == name) return candidate;
    return nullptr;
}

QToolButton* TForm1::button(const QString& name) const { return Panel1->findChild<QToolButton*>(name); }

void TForm1::setInfoDialog(Tform_infoDoc* dialog) { infoDialog_ = dialog; }

void TForm1::FormCreate() { uvars::SetStartValues(); }

void TForm1::FormActivate() {
    // Only the first activation counts: coming back from a dialog must not run the
    // start-up step again.
    if (activated_) return;
    activated_ = true;
    Timer1->start();
}

void TForm1::Timer1Timer() { Timer1->stop(); }

void TForm1::Informaes1Click() {
    if (infoDialog_) infoDialog_->exec();
}

void TForm1::Fontenatela1Click() {
    FontDialog1->setCurrentFont(fontChoice_);
    if (FontDialog1->exec() != QDialog::Accepted) return;
    fontChoice_ = FontDialog1->selectedFont();
    Memo1->setFont(fontChoice_);
}

void TForm1::newButton1Click() { action(QStringLiteral("Novo1"))->trigger(); }
void TForm1::OpenButtonClick() { action(QStringLiteral("Abrir1"))->trigger(); }
void TForm1::saveButtonClick() { action(QStringLiteral("Salvar1"))->trigger(); }
void TForm1::genvisBtnClick() { action(QStringLiteral("Visualizar1"))->trigger(); }

void TForm1::SelecionarTudo1Click() { Memo1->selectAll(); }
void TForm1::CutBtnClick() { Memo1->cut(); }
void TForm1::CopyBtnClick() { Memo1->copy(); }
void TForm1::PasteBtnClick() { Memo1->paste(); }

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    const int rest = Splitter1->width() - Splitter1->handleWidth() - kMemoStartWidth;
    Splitter1->setSizes({kMemoStartWidth, qMax(rest, 0)});
}
