#include "editor/editing/formatcommands.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

#include "editor/catalogue/catalogue.h"
#include "editor/editing/editoperations.h"
#include "editor/window/mainwindow.h"
#include "platform/messages.h"

namespace {

// Sends the editor's clicks and key releases to their handlers.
class CaretIndicator : public QObject {
public:
    CaretIndicator(MainWindow* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) onTextClicked(form_);
        else if (event->type() == QEvent::KeyRelease && watched == form_->textEdit) onTextKeyReleased(form_);
        return false;
    }

private:
    MainWindow* form_;
};

void onTriggered(MainWindow* form, const char* name, std::function<void()> command) {
    QAction* entry = form->action(QString::fromLatin1(name));
    Q_ASSERT(entry);
    QObject::connect(entry, &QAction::triggered, form, std::move(command));
}

// "&Tabela": asks for the column count and inserts the table skeleton.
void insertTable(QPlainTextEdit* memo) {
    const auto answer = messages::AskText("Dimens\xC3\xA3o da tabela", "Quantas colunas?", "");
    if (!answer) return;
    InsertAtCaret(memo, TableSkeleton(TableColumns(QString::fromUtf8(*answer))));
}

}  // namespace

void insertIndentLine(MainWindow* form, const QAction* entry) { InsertAtCaret(form->textEdit, IndentText(entry->text())); }

void insertCatalogueFormula(MainWindow* form, const QAction* entry) {
    InsertAtCaret(form->textEdit, QString::fromUtf8(catalogue::FormulaText(FormulaCaption(entry).toStdString())));
}

void onTextChanged(MainWindow* form) { UpdateLineColumnLabel(form->textEdit, form->caretIndicator); }
void onTextClicked(MainWindow* form) { UpdateLineColumnLabel(form->textEdit, form->caretIndicator); }
void onTextKeyReleased(MainWindow* form) { UpdateLineColumnLabel(form->textEdit, form->caretIndicator); }

QString MenuCaption(const QString& caption) {
    QString shown = caption;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    shown.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return shown;
}

QString FormulaCaption(const QAction* entry) { return entry->data().toString(); }

void BuildFormulaMenu(MainWindow* form, QMenu* menu) {
    int groupNumber = 0;
    for (const catalogue::FormulaGroup& group : catalogue::FormulaGroups()) {
        ++groupNumber;
        QMenu* submenu = menu->addMenu(QString::fromUtf8(group.caption));
        submenu->setObjectName(QStringLiteral("Formulas%1").arg(groupNumber));
        submenu->menuAction()->setObjectName(submenu->objectName());
        int entryNumber = 0;
        for (const char* caption : group.entries) {
            if (caption == catalogue::kSeparator) {
                submenu->addSeparator();
                continue;
            }
            const QString real = QString::fromUtf8(caption);
            auto* entry = new QAction(MenuCaption(real), submenu);
            entry->setObjectName(QStringLiteral("Formula%1_%2").arg(groupNumber).arg(++entryNumber));
            entry->setData(real);
            submenu->addAction(entry);
            QObject::connect(entry, &QAction::triggered, form, [form, entry] { insertCatalogueFormula(form, entry); });
        }
    }
}

void ConnectFormattingCommands(MainWindow* form) {
    QPlainTextEdit* memo = form->textEdit;
    const std::pair<const char*, const char*> wrappers[] = {
        {"heading1", "h1"}, {"heading2", "h2"},          {"heading3", "h3"},
        {"heading4", "h4"},       {"heading5", "h5"},          {"heading6", "h6"},
        {"bold", "b"},   {"italic", "i"},      {"underline", "u"},
        {"centred", "center"},                 {"fixedWidth", "pre"},
    };
    for (const auto& [name, tag] : wrappers)
        onTriggered(form, name, [memo, tag = QString::fromLatin1(tag)] { WrapSelectionInTag(memo, tag); });

    onTriggered(form, "title", [memo] { MakeTitleLine(memo); });
    onTriggered(form, "rule", [memo] { InsertAtCaret(memo, RuleText()); });
    for (const char* name : {"indentOpen", "indentClose"}) {
        QAction* entry = form->action(QString::fromLatin1(name));
        onTriggered(form, name, [form, entry] { insertIndentLine(form, entry); });
    }
    onTriggered(form, "pageBreak", [form, memo] {
        InsertPageBreak(memo);
        UpdateLineColumnLabel(memo, form->caretIndicator);
    });
    onTriggered(form, "table", [memo] { insertTable(memo); });
    onTriggered(form, "undo", [memo] { memo->undo(); });
    onTriggered(form, "cut", [memo] { memo->cut(); });
    onTriggered(form, "copy", [memo] { memo->copy(); });
    onTriggered(form, "paste", [memo] { memo->paste(); });

    QObject::connect(memo, &QPlainTextEdit::textChanged, form, [form] { onTextChanged(form); });
    // A command that moves the caret after changing the text (a title, undo) would otherwise
    // leave the indicator naming where the caret was at the change.
    QObject::connect(memo, &QPlainTextEdit::cursorPositionChanged, form,
                     [form] { UpdateLineColumnLabel(form->textEdit, form->caretIndicator); });
    auto* indicator = new CaretIndicator(form);
    memo->installEventFilter(indicator);
    memo->viewport()->installEventFilter(indicator);

    if (auto* menu = form->findChild<QMenu*>(QStringLiteral("mathMenu"))) BuildFormulaMenu(form, menu);
}
