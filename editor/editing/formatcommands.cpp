#include "editor/editing/formatcommands.h"

#include <QAction>
#include <QEvent>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QToolButton>

#include "editor/catalogue/catalogue.h"
#include "editor/text/editoperations.h"
#include "editor/text/saydone.h"
#include "editor/window/editorparts.h"
#include "editor/window/menuaccessible.h"
#include "editor/window/quietfocus.h"
#include "editor/window/standarddialogs.h"
#include "reader/reader.h"
#include "platform/messages.h"
#include "speech/formulaspeech.h"

namespace {

// Sends the editor's clicks and key releases to their handlers.
class CaretIndicator : public QObject {
public:
    explicit CaretIndicator(EditorParts& parts) : QObject(parts.window), parts_(parts) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) onTextClicked(parts_);
        else if (event->type() == QEvent::KeyRelease && watched == parts_.textEdit) onTextKeyReleased(parts_);
        return false;
    }

private:
    EditorParts& parts_;
};

// "&Fonte": the font dialog, which opens on its own last confirmed choice; a confirmed choice
// becomes the editor's font for this run.
class FontChoice : public QObject {
public:
    explicit FontChoice(QPlainTextEdit* textEdit, QWidget* window)
        : QObject(window), textEdit_(textEdit), dialog_(new QFontDialog(window)) {
        dialog_->setObjectName(QStringLiteral("fontDialog"));
        LabelInPortuguese(dialog_);
        choice_.setPixelSize(11);
    }

    void choose() {
        dialog_->setCurrentFont(choice_);
        if (dialog_->exec() != QDialog::Accepted) return;
        choice_ = dialog_->selectedFont();
        textEdit_->setFont(choice_);
    }

private:
    QPlainTextEdit* textEdit_;
    QFontDialog* dialog_;
    QFont choice_{QStringLiteral("MS Sans Serif")};
};

// A formula chosen in the catalogue: the keyboard goes back to the text as the menus close, which
// the screen reader would hear as the raw line; the insertion says the formula's reading instead.
class FormulaChosenQuietly final : public QObject {
public:
    FormulaChosenQuietly(QMenu* menu, QWidget* text) : QObject(menu), text_(text) { menu->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // a menu being destroyed is no longer a menu when its last events arrive
        const auto* menu = qobject_cast<QMenu*>(watched);
        if (!menu) return false;
        bool chosen = event->type() == QEvent::MouseButtonRelease;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            chosen = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
        }
        const QAction* entry = menu->activeAction();
        if (chosen && entry && entry->isEnabled() && !entry->menu()) TakeFocusQuietly(text_);
        return false;
    }

private:
    QWidget* text_;
};

// "&Tabela": asks for the column count and inserts the table skeleton.
void insertTable(QPlainTextEdit* textEdit) {
    const auto answer = messages::AskText("Dimens\xC3\xA3o da tabela", "Quantas colunas?", "");
    if (!answer) return;
    InsertAtCaret(textEdit, TableSkeleton(TableColumns(QString::fromUtf8(*answer))));
}

}  // namespace

void insertIndentLine(EditorParts& parts, const QAction* entry) { InsertAtCaret(parts.textEdit, IndentText(entry->text())); }

void insertCatalogueFormula(EditorParts& parts, const QAction* entry) {
    const QString formula = QString::fromUtf8(catalogue::FormulaText(FormulaCaption(entry).toStdString()));
    {
        QuietWhileChanging quiet(parts.textEdit);
        InsertAtCaret(parts.textEdit, formula);
    }
    // Its reading, rather than the screen reader's reading of the notation as the menu closes.
    SayDone(parts, QStringLiteral("F\u00f3rmula inserida: ") + ReadingOf(formula), kFocusBackMs);
}

void onTextChanged(EditorParts& parts) { UpdateLineColumnLabel(parts.textEdit, parts.caretIndicator); }
void onTextClicked(EditorParts& parts) { UpdateLineColumnLabel(parts.textEdit, parts.caretIndicator); }
void onTextKeyReleased(EditorParts& parts) { UpdateLineColumnLabel(parts.textEdit, parts.caretIndicator); }

QString MenuCaption(const QString& caption) {
    QString shown = caption;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    shown.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return shown;
}

QString FormulaCaption(const QAction* entry) { return entry->data().toString(); }

QString CatalogueEntryName(const QString& caption) {
    const qsizetype tick = caption.indexOf(QLatin1Char('`'));
    if (tick < 0) return caption.simplified();
    const std::string formulas = caption.mid(tick).toStdString();
    const std::string read = formulaspeech::ComposeLine(formulas, [](std::string_view formula) {
        return reader::ReadFormula(formula, reader::Verbosity::Normal);
    });
    QString name = caption.left(tick).simplified() + QStringLiteral(": ") + QString::fromStdString(read).simplified();
    // The words between formulas keep their punctuation against the reading before them.
    static const QRegularExpression blankBeforeStop(QStringLiteral(" ([,;:.])"));
    return name.replace(blankBeforeStop, QStringLiteral("\\1")).remove(QLatin1Char('`'));
}

void BuildFormulaMenu(EditorParts& parts, QMenu* menu) {
    int groupNumber = 0;
    for (const catalogue::FormulaGroup& group : catalogue::FormulaGroups()) {
        ++groupNumber;
        QMenu* submenu =
            parts.actions->addMenu(menu, QStringLiteral("formulaGroup%1").arg(groupNumber), QString::fromUtf8(group.caption));
        new FormulaChosenQuietly(submenu, parts.textEdit);
        int entryNumber = 0;
        for (const char* caption : group.entries) {
            if (caption == catalogue::kSeparator) {
                submenu->addSeparator();
                continue;
            }
            const QString real = QString::fromUtf8(caption);
            const QString id = QStringLiteral("catalogueFormula%1_%2").arg(groupNumber).arg(++entryNumber);
            QAction* entry = parts.actions->addEntry(submenu, id, MenuCaption(real));
            entry->setData(real);
            SetSpokenName(entry, CatalogueEntryName(real));
            OnAction(parts, id, [&parts, entry] { insertCatalogueFormula(parts, entry); });
        }
    }
}

void ConnectFormattingCommands(EditorParts& parts) {
    QPlainTextEdit* textEdit = parts.textEdit;
    const std::pair<const char*, const char*> wrappers[] = {
        {"heading1", "h1"}, {"heading2", "h2"},          {"heading3", "h3"},
        {"heading4", "h4"},       {"heading5", "h5"},          {"heading6", "h6"},
        {"bold", "b"},   {"italic", "i"},      {"underline", "u"},
        {"centred", "center"},                 {"fixedWidth", "pre"},
    };
    for (const auto& [name, tag] : wrappers)
        OnAction(parts, name, [textEdit, tag = QString::fromLatin1(tag)] { WrapSelectionInTag(textEdit, tag); });

    OnAction(parts, "title", [textEdit] { MakeTitleLine(textEdit); });
    OnAction(parts, "rule", [textEdit] { InsertAtCaret(textEdit, RuleText()); });
    for (const char* name : {"indentOpen", "indentClose"}) {
        QAction* entry = parts.action(QString::fromLatin1(name));
        OnAction(parts, name, [&parts, entry] { insertIndentLine(parts, entry); });
    }
    OnAction(parts, "pageBreak", [&parts, textEdit] {
        InsertPageBreak(textEdit);
        UpdateLineColumnLabel(textEdit, parts.caretIndicator);
    });
    OnAction(parts, "table", [textEdit] { insertTable(textEdit); });
    OnAction(parts, "undo", [textEdit] { textEdit->undo(); });
    OnAction(parts, "cut", [textEdit] { textEdit->cut(); });
    OnAction(parts, "copy", [textEdit] { textEdit->copy(); });
    OnAction(parts, "paste", [textEdit] { textEdit->paste(); });
    OnAction(parts, "selectAll", [textEdit] { textEdit->selectAll(); });
    OnAction(parts, "font", new FontChoice(textEdit, parts.window), &FontChoice::choose);
    QObject::connect(parts.button(QStringLiteral("cutButton")), &QToolButton::clicked, textEdit, &QPlainTextEdit::cut);
    QObject::connect(parts.button(QStringLiteral("copyButton")), &QToolButton::clicked, textEdit, &QPlainTextEdit::copy);
    QObject::connect(parts.button(QStringLiteral("pasteButton")), &QToolButton::clicked, textEdit, &QPlainTextEdit::paste);

    QObject::connect(textEdit, &QPlainTextEdit::textChanged, parts.window, [&parts] { onTextChanged(parts); });
    // A command that moves the caret after changing the text (a title, undo) would otherwise
    // leave the indicator naming where the caret was at the change.
    QObject::connect(textEdit, &QPlainTextEdit::cursorPositionChanged, parts.window,
                     [&parts] { UpdateLineColumnLabel(parts.textEdit, parts.caretIndicator); });
    auto* indicator = new CaretIndicator(parts);
    textEdit->installEventFilter(indicator);
    textEdit->viewport()->installEventFilter(indicator);

    if (auto* menu = parts.window->findChild<QMenu*>(QStringLiteral("mathMenu"))) BuildFormulaMenu(parts, menu);
}
