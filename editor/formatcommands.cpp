#include "editor/formatcommands.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

#include "editor/catalogue.h"
#include "editor/editops.h"
#include "editor/velloqPrinc.h"
#include "platform/messages.h"

namespace {

// Sends the editor's clicks and key releases to their handlers.
class CaretIndicator : public QObject {
public:
    CaretIndicator(TForm1* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) Memo1Click(form_);
        else if (event->type() == QEvent::KeyRelease && watched == form_->Memo1) Memo1KeyUp(form_);
        return false;
    }

private:
    TForm1* form_;
};

void onTriggered(TForm1* form, const char* name, std::function<void()> command) {
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

void InsertLineMemo(TForm1* form, const QAction* entry) { InsertAtCaret(form->Memo1, IndentText(entry->text())); }

void formulaClick(TForm1* form, const QAction* entry) {
    InsertAtCaret(form->Memo1, QString::fromUtf8(catalogue::FormulaText(FormulaCaption(entry).toStdString())));
}

void Memo1Change(TForm1* form) { UpdateLineColumnLabel(form->Memo1, form->l_lincol); }
void Memo1Click(TForm1* form) { UpdateLineColumnLabel(form->Memo1, form->l_lincol); }
void Memo1KeyUp(TForm1* form) { UpdateLineColumnLabel(form->Memo1, form->l_lincol); }

QString MenuCaption(const QString& caption) {
    QString shown = caption;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    shown.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return shown;
}

QString FormulaCaption(const QAction* entry) { return entry->data().toString(); }

void BuildFormulaMenu(TForm1* form, QMenu* menu) {
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
            QObject::connect(entry, &QAction::triggered, form, [form, entry] { formulaClick(form, entry); });
        }
    }
}

void ConnectFormattingCommands(TForm1* form) {
    QPlainTextEdit* memo = form->Memo1;
    const std::pair<const char*, const char*> wrappers[] = {
        {"H1Grande1", "h1"}, {"H21", "h2"},          {"H31", "h3"},
        {"H41", "h4"},       {"H51", "h5"},          {"H6Micro1", "h6"},
        {"Negrito1", "b"},   {"Italico1", "i"},      {"Sublinhado1", "u"},
        {"Centralizado1", "center"},                 {"Espacejamentofixo1", "pre"},
    };
    for (const auto& [name, tag] : wrappers)
        onTriggered(form, name, [memo, tag = QString::fromLatin1(tag)] { WrapSelectionInTag(memo, tag); });

    onTriggered(form, "Titulo1", [memo] { MakeTitleLine(memo); });
    onTriggered(form, "Linhaseparadora1", [memo] { InsertAtCaret(memo, RuleText()); });
    for (const char* name : {"RecuoAbre1", "RecuoFecha1"}) {
        QAction* entry = form->action(QString::fromLatin1(name));
        onTriggered(form, name, [form, entry] { InsertLineMemo(form, entry); });
    }
    onTriggered(form, "Quebradepagina1", [form, memo] {
        InsertPageBreak(memo);
        UpdateLineColumnLabel(memo, form->l_lincol);
    });
    onTriggered(form, "Tabela1", [memo] { insertTable(memo); });
    onTriggered(form, "Desfazer1", [memo] { memo->undo(); });
    onTriggered(form, "Cortar1", [memo] { memo->cut(); });
    onTriggered(form, "Copiar1", [memo] { memo->copy(); });
    onTriggered(form, "Colar1", [memo] { memo->paste(); });

    QObject::connect(memo, &QPlainTextEdit::textChanged, form, [form] { Memo1Change(form); });
    // A command that moves the caret after changing the text (a title, undo) would otherwise
    // leave the indicator naming where the caret was at the change.
    QObject::connect(memo, &QPlainTextEdit::cursorPositionChanged, form,
                     [form] { UpdateLineColumnLabel(form->Memo1, form->l_lincol); });
    auto* indicator = new CaretIndicator(form);
    memo->installEventFilter(indicator);
    memo->viewport()->installEventFilter(indicator);

    if (auto* menu = form->findChild<QMenu*>(QStringLiteral("Matematica1"))) BuildFormulaMenu(form, menu);
}
