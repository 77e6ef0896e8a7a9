#include "editor/mainwindow/mainwindow.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
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

#include "editor/window/actions.h"
#include "editor/window/comboaccessible.h"
#include "editor/window/fieldaccessible.h"
#include "editor/window/menuaccessible.h"
#include "editor/window/menukeyboard.h"
#include "editor/window/noticeline.h"
#include "editor/window/standarddialogs.h"
#include "editor/window/dialogparts.h"
#include "editor/editing/formatcommands.h"
#include "editor/text/linemoves.h"
#include "editor/editing/findcommands.h"
#include "editor/editing/insertcommands.h"
#include "editor/help/helpcommands.h"
#include "editor/window/textaccessible.h"
#include "editor/speaking/speechmenu.h"
#include "editor/window/toolicons.h"
#include "editor/workfolder/workfoldersettingsdialog.h"

namespace {

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

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
    setObjectName(QStringLiteral("mainWindow"));
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
    ReportFieldsWhole();

    setStartValues();
    StartSpeech(parts_, runState_);
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

    for (const ToolRow& row : Actions::toolRows()) {
        // The caret indicator follows the command buttons; the extension buttons keep to the
        // right edge.
        if (row.face == ToolRow::Face::Extension && !caretIndicator) {
            caretIndicator = new QLabel(QStringLiteral("L=1  C=1"), toolBarPanel);
            caretIndicator->setObjectName(QStringLiteral("caretIndicator"));
            caretIndicator->setMinimumWidth(90);
            caretIndicator->setContentsMargins(8, 0, 0, 0);
            layout->addWidget(caretIndicator);
            // The notice line takes the free space while it shows, however long its text.
            layout->addWidget(MakeNoticeLine(toolBarPanel), 3);
            layout->addStretch(1);
        }
        auto* button = new QToolButton(toolBarPanel);
        button->setObjectName(text(row.id));
        button->setToolTip(text(row.hint));
        switch (row.face) {
        case ToolRow::Face::Picture:
            button->setIcon(ToolIcon(text(row.theme), row.picture));
            button->setIconSize(QSize(16, 16));
            button->setAutoRaise(true);
            button->setAccessibleName(text(row.caption));
            break;
        case ToolRow::Face::Text:
            button->setText(text(row.caption));
            button->setFont(textFace);
            // A screen reader says the command the abbreviation stands for ("Negrito", not
            // "NEG"): the caption of its menu entry.
            button->setAccessibleName(Actions::plainCaption(QLatin1String(row.action)));
            button->setAccessibleDescription(text(row.description));
            break;
        case ToolRow::Face::Extension:
            button->setText(text(row.caption));
            button->setFocusPolicy(Qt::NoFocus);
            break;
        }
        layout->addWidget(button);
    }
}

void MainWindow::createMenus() {
    InstallMenuEntryAccessibility();
    InstallComboBoxAccessibility();
    mainMenu = menuBar();
    mainMenu->setObjectName(QStringLiteral("mainMenu"));
    actions_ = new Actions(this);
    actions_->placeMenus(mainMenu);
    new MenuKeyboard(this, mainMenu, textEdit);
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

    LabelInPortuguese(openDialog);
    LabelInPortuguese(saveDialog);

    startupTimer = new QTimer(this);
    startupTimer->setObjectName(QStringLiteral("startupTimer"));
    startupTimer->setInterval(100);
    startupTimer->setSingleShot(true);

    monitorTimer = new QTimer(this);
    monitorTimer->setObjectName(QStringLiteral("monitorTimer"));
    monitorTimer->setInterval(300);
}

void MainWindow::connectCommands() {
    parts_ = EditorParts{this, textEdit, fileListBox, caretIndicator, toolBarPanel, openDialog, saveDialog,
                         startupTimer, nullptr, actions_};
    connect(startupTimer, &QTimer::timeout, this, &MainWindow::startUp);
    // A tool button that stands for an action runs whatever that action runs.
    for (const ToolRow& row : Actions::toolRows()) {
        if (!*row.action) continue;
        connect(button(text(row.id)), &QToolButton::clicked, action(text(row.action)), &QAction::trigger);
    }
    ConnectFormattingCommands(parts_);
    ConnectInsertCommands(parts_);
    ConnectFindCommands(parts_);
    ConnectHelpCommands(parts_);
    ConnectWorkFolderSettings(parts_);
    linemoves::Connect(parts_, runState_);
    ConnectSpeechCommands(parts_, runState_);  // after the line moves: its keys cut the voice before they move
}

QAction* MainWindow::action(const QString& id) const { return actions_->get(id); }

QToolButton* MainWindow::button(const QString& id) const { return parts_.button(id); }

void MainWindow::setInfoDialog(WorkFolderSettingsDialog* dialog) { parts_.settingsDialog = dialog; }

void MainWindow::setStartValues() { runState_.SetStartValues(); }

void MainWindow::onActivated() {
    // Only the first activation counts: coming back from a dialog must not run the
    // start-up step again.
    if (activated_) return;
    activated_ = true;
    startupTimer->start();
}

void MainWindow::startUp() { startupTimer->stop(); }

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    const int rest = splitter->width() - splitter->handleWidth() - kEditorStartWidth;
    splitter->setSizes({kEditorStartWidth, qMax(rest, 0)});
}
