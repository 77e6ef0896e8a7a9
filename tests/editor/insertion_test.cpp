// The link, label and figure commands through the window's menu entries, and the link and
// figure dialogs as the user meets them: what they show on each opening, how they close, and
// the file name that "Procurar" gives.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "editor/editing/finddialog.h"
#include "editor/editing/insertcommands.h"
#include "editor/editing/figuredialog.h"
#include "editor/editing/linkdialog.h"
#include "editor/mainwindow/mainwindow.h"
#include "editortext.h"
#include "modalanswer.h"
#include "recordingsink.h"

namespace {


// Closes a dialog as the user chose: "ok" (Enter in field), "cancel" (the button), "enter on
// cancel" (Enter with the focus on that button), "esc" (Escape in field) or "close" (the
// window's close box).
void closeDialog(QDialog* dialog, QPushButton* cancel, QWidget* field, const QString& how) {
    if (how == "ok") QTest::keyClick(field, Qt::Key_Return);
    else if (how == "esc") QTest::keyClick(field, Qt::Key_Escape);
    else if (how == "enter on cancel") {
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
    }
    else if (how == "cancel") cancel->click();
    else dialog->close();
}

// Answers "Procurar" from the test; may first move the current directory, as a file dialog may.
class ScriptedChooser final : public FigureChooser {
public:
    std::optional<QString> ChooseFile(QWidget*, const QString& folder, const QStringList&) override {
        seenFolder = folder;
        if (!moveTo.isEmpty()) QDir::setCurrent(moveTo);
        return answer;
    }
    std::optional<QString> answer;
    QString moveTo, seenFolder;
};

}  // namespace

class InsertionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { startDir_ = QDir::currentPath(); }
    void init();
    void cleanup();

    void link_data();
    void link();
    void linkDialogStartsOver_data();
    void linkDialogStartsOver();
    void linkKindsFromTheKeyboard();
    void label_data();
    void label();
    void figure_data();
    void figure();
    void figurePath_data();
    void figurePath();
    void procurar_data();
    void procurar();
    void procurarOpensAFileDialogInTheWorkFolder();
    void fieldsAreNamedByTheirCaptions_data();
    void fieldsAreNamedByTheirCaptions();
    void formula_data();
    void formula();

private:
    MainWindow* form_ = nullptr;
    QString startDir_;
};

void InsertionTest::init() {
    form_ = new MainWindow;
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
}

void InsertionTest::cleanup() {
    delete form_;
    InstallFigureChooser(nullptr);
    QDir::setCurrent(startDir_);
}

void InsertionTest::link_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("kind");       // the choice clicked, "" for none
    QTest::addColumn<QString>("reference");  // typed over the reference, "" for none
    QTest::addColumn<QString>("linkText");
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("expected");
    QTest::newRow("page in this site") << "" << 0 << 0 << "" << "" << "Início" << "ok"
                                       << "\n{paginalocal.htm Início}\n";
    QTest::newRow("splits a line in three") << "antes depois" << 6 << 6 << "" << "" << "ver" << "ok"
                                            << "antes \n{paginalocal.htm ver}\ndepois";
    QTest::newRow("label in this page") << "" << 0 << 0 << "labelChoice" << "" << "Topo" << "ok" << "\n{# Topo}\n";
    QTest::newRow("e-mail") << "" << 0 << 0 << "emailChoice" << "" << "Escreva" << "ok"
                            << "\n{mailto:nome@exemplo.com.br Escreva}\n";
    QTest::newRow("reference typed after the kind") << "" << 0 << 0 << "externalSiteChoice" << "http://www.ufrj.br"
                                                    << "UFRJ" << "ok" << "\n{http://www.ufrj.br UFRJ}\n";
    QTest::newRow("empty link text") << "" << 0 << 0 << "" << "" << "" << "ok" << "\n{paginalocal.htm }\n";
    QTest::newRow("replaces a backward selection") << "trocar isto" << 11 << 7 << "" << "" << "y" << "ok"
                                                   << "trocar \n{paginalocal.htm y}\n";
    QTest::newRow("cancel") << "fica" << 2 << 2 << "externalSiteChoice" << "" << "z" << "cancel" << "fica";
    QTest::newRow("escape") << "fica" << 2 << 2 << "" << "" << "z" << "esc" << "fica";
    QTest::newRow("Enter on Cancel") << "fica" << 2 << 2 << "" << "" << "z" << "enter on cancel" << "fica";
}

void InsertionTest::link() {
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, kind);
    QFETCH(QString, reference);
    QFETCH(QString, linkText);
    QFETCH(QString, close);
    QFETCH(QString, expected);
    setText(form_->textEdit, text, anchor, position);

    ModalAnswer answer([&](QWidget* w) {
        auto* dialog = qobject_cast<LinkDialog*>(w);
        QVERIFY(dialog);
        if (!kind.isEmpty()) dialog->findChild<QRadioButton*>(kind)->click();
        if (!reference.isEmpty()) dialog->referenceEdit->setText(reference);
        dialog->linkTextEdit->setText(linkText);
        closeDialog(dialog, dialog->cancelButton, dialog->linkTextEdit, close);
    });
    form_->action("link")->trigger();
    QVERIFY(answer.answered());
    QCOMPARE(form_->textEdit->toPlainText(), expected);
    QCOMPARE(LinkDialogOf(form_->parts())->Confirmed, close == "ok");
}

void InsertionTest::linkDialogStartsOver_data() {
    QTest::addColumn<QString>("kind");       // chosen in the first use, "" for none
    QTest::addColumn<QString>("reference");  // typed in the first use, "" for none
    QTest::addColumn<bool>("confirm");       // how the first use ends
    QTest::newRow("after an e-mail link") << "emailChoice" << "" << true;
    QTest::newRow("after a typed reference, same kind") << "" << "minha.htm" << true;
    QTest::newRow("after a cancelled external link") << "externalSiteChoice" << "http://www.ufrj.br" << false;
}

void InsertionTest::linkDialogStartsOver() {
    QFETCH(QString, kind);
    QFETCH(QString, reference);
    QFETCH(bool, confirm);
    ModalAnswer first([&](QWidget* w) {
        auto* dialog = qobject_cast<LinkDialog*>(w);
        if (!kind.isEmpty()) dialog->findChild<QRadioButton*>(kind)->click();
        if (!reference.isEmpty()) dialog->referenceEdit->setText(reference);
        dialog->linkTextEdit->setText(QStringLiteral("Escreva-me"));
        (confirm ? dialog->okButton : dialog->cancelButton)->click();
    });
    form_->action("link")->trigger();
    QVERIFY(first.answered());
    const QString afterFirst = form_->textEdit->toPlainText();

    QStringList checked;
    QString shownReference, linkText;
    bool focusOnPageKind = false;
    ModalAnswer second([&](QWidget* w) {
        auto* dialog = qobject_cast<LinkDialog*>(w);
        for (QRadioButton* choice : dialog->linkKindGroup->findChildren<QRadioButton*>())
            if (choice->isChecked()) checked << choice->objectName();
        focusOnPageKind = dialog->focusWidget() == dialog->thisPageChoice;
        shownReference = dialog->referenceEdit->text();
        linkText = dialog->linkTextEdit->text();
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
    });
    form_->action("link")->trigger();
    QVERIFY(second.answered());
    QCOMPARE(checked, QStringList{"thisPageChoice"});
    QVERIFY(focusOnPageKind);
    QCOMPARE(shownReference, QStringLiteral("paginalocal.htm"));
    QCOMPARE(linkText, QStringLiteral("Escreva-me"));
    QVERIFY(!LinkDialogOf(form_->parts())->Confirmed);
    QCOMPARE(form_->textEdit->toPlainText(), afterFirst);
}

void InsertionTest::linkKindsFromTheKeyboard() {
    QStringList references;
    ModalAnswer answer([&](QWidget* w) {
        auto* dialog = qobject_cast<LinkDialog*>(w);
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
            QTest::keyClick(dialog->focusWidget(), key);
            references << dialog->referenceEdit->text();
        }
        // Tab leads from the choices to the reference field (its text selected), then to the
        // link text.
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        QCOMPARE(dialog->focusWidget(), dialog->referenceEdit);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_End);
        QTest::keyClicks(dialog->focusWidget(), "topo");
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(dialog->focusWidget(), "volta");
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    form_->action("link")->trigger();
    QVERIFY(answer.answered());
    QCOMPARE(references, (QStringList{"http://www.", "#", "mailto:nome@exemplo.com.br", "#"}));
    QCOMPARE(form_->textEdit->toPlainText(), QStringLiteral("\n{#topo volta}\n"));
}

void InsertionTest::label_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one word") << "abc" << 3 << false << "inicio" << "abc\n#inicio\n";
    QTest::newRow("empty name") << "" << 0 << false << "" << "\n#\n";
    QTest::newRow("accented name with blanks, mid-line") << "ab" << 1 << false << " seção 2" << "a\n# seção 2\nb";
    QTest::newRow("cancelled") << "ab" << 1 << true << "" << "ab";
}

void InsertionTest::label() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(bool, cancel);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    setText(form_->textEdit, text, caret, caret);
    RecordingSink sink;
    sink.texts.push_back(cancel ? std::nullopt : std::optional<std::string>(name.toStdString()));

    form_->action("label")->trigger();

    QCOMPARE(sink.calls, (std::vector<std::string>{"AskText|Nome do rótulo|Como se chama esta posição?|"}));
    QCOMPARE(form_->textEdit->toPlainText(), expected);
}

void InsertionTest::figure_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file and comment") << "" << 0 << "img/a.png" << "Legenda" << "ok" << "\n$img/a.png Legenda$\n";
    QTest::newRow("no comment") << "" << 0 << "a.png" << "" << "ok" << "\n$a.png $\n";
    QTest::newRow("splits a line") << "ab" << 1 << "x.gif" << "c d" << "ok" << "a\n$x.gif c d$\nb";
    QTest::newRow("empty file name with a comment") << "ab" << 1 << "" << "Legenda" << "ok" << "ab";
    QTest::newRow("cancel") << "ab" << 1 << "a.png" << "c" << "cancel" << "ab";
    QTest::newRow("close box") << "ab" << 1 << "a.png" << "c" << "close" << "ab";
    QTest::newRow("Enter on Cancel") << "ab" << 1 << "a.png" << "c" << "enter on cancel" << "ab";
}

void InsertionTest::figure() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, file);
    QFETCH(QString, comment);
    QFETCH(QString, close);
    QFETCH(QString, expected);
    setText(form_->textEdit, text, caret, caret);
    RecordingSink sink;

    // Two uses: what the first typed must be gone when the second opens.
    QStringList seenOnOpening;
    for (int use = 0; use < 2; ++use) {
        ModalAnswer answer([&](QWidget* w) {
            auto* dialog = qobject_cast<FigureDialog*>(w);
            seenOnOpening << dialog->figureNameEdit->text() + '|' + dialog->figureCommentEdit->text();
            QCOMPARE(dialog->focusWidget(), dialog->figureNameEdit);
            dialog->figureNameEdit->setText(file);
            dialog->figureCommentEdit->setText(comment);
            closeDialog(dialog, dialog->cancelButton, dialog->figureCommentEdit, use == 0 ? close : "cancel");
            QVERIFY(!dialog->isVisible());  // a refused OK closes the dialog too
        });
        form_->action("image")->trigger();
        QVERIFY(answer.answered());
        if (use == 0) QCOMPARE(FigureDialogOf(form_->parts())->Confirmed, expected != text);
    }
    QCOMPARE(seenOnOpening, (QStringList{"|", "|"}));
    QCOMPARE(form_->textEdit->toPlainText(), expected);
    QVERIFY(sink.calls.empty());  // the refusal says nothing
}

void InsertionTest::figurePath_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("in the folder") << "/w/textos/a.png" << "/w/textos" << "a.png";
    QTest::newRow("two levels down") << "/w/textos/img/x/a.png" << "/w/textos" << "img/x/a.png";
    QTest::newRow("the folder's parent") << "/w/a.png" << "/w/textos" << "/w/a.png";
    QTest::newRow("sibling with the folder's name as prefix") << "/w/textos2/a.png" << "/w/textos"
                                                              << "/w/textos2/a.png";
    QTest::newRow("folder in other letter case") << "/w/Textos/a.png" << "/w/textos" << "/w/Textos/a.png";
    QTest::newRow("accented names") << "/w/ação/fórmulas/é.png" << "/w/ação" << "fórmulas/é.png";
    QTest::newRow("backslash is part of a name") << "/w/textos/a\\b.png" << "/w/textos" << "a\\b.png";
    QTest::newRow("root folder") << "/img/a.png" << "" << "img/a.png";
    QTest::newRow("the folder itself") << "/w/textos/" << "/w/textos" << "/w/textos/";
}

void InsertionTest::figurePath() {
    QFETCH(QString, chosen);
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(FigurePathFor(chosen, folder), expected);
}

void InsertionTest::procurar_data() {
    QTest::addColumn<QString>("chosen");    // under the temporary root; "" for a cancel
    QTest::addColumn<QString>("moveTo");    // where the chooser moves the current directory
    QTest::addColumn<QString>("expected");  // "%1" stands for the temporary root
    QTest::newRow("in a subfolder") << "textos/img/a.png" << "" << "img/a.png";
    QTest::newRow("another folder") << "outra/a.png" << "" << "%1/outra/a.png";
    QTest::newRow("sibling with a common prefix") << "textos2/a.png" << "" << "%1/textos2/a.png";
    QTest::newRow("chooser moved the directory") << "textos/a.png" << "outra" << "a.png";
    QTest::newRow("cancel keeps a typed name") << "" << "outra" << "minha.png";
}

void InsertionTest::procurar() {
    QFETCH(QString, chosen);
    QFETCH(QString, moveTo);
    QFETCH(QString, expected);
    QTemporaryDir root;
    for (const char* folder : {"textos/img", "textos2", "outra"}) QVERIFY(QDir(root.path()).mkpath(folder));
    const QString work = root.path() + "/textos";
    QVERIFY(QDir::setCurrent(work));
    ScriptedChooser chooser;
    if (!chosen.isEmpty()) chooser.answer = root.path() + '/' + chosen;
    if (!moveTo.isEmpty()) chooser.moveTo = root.path() + '/' + moveTo;
    InstallFigureChooser(&chooser);

    FigureDialog* dialog = FigureDialogOf(form_->parts());
    dialog->show();
    dialog->figureNameEdit->setText(QStringLiteral("minha.png"));
    dialog->browseButton->click();
    dialog->hide();

    QCOMPARE(chooser.seenFolder, work);
    QCOMPARE(dialog->figureNameEdit->text(), expected.contains("%1") ? expected.arg(root.path()) : expected);
    QCOMPARE(QDir::currentPath(), work);
}

void InsertionTest::procurarOpensAFileDialogInTheWorkFolder() {
    QTemporaryDir root;
    QVERIFY(QDir::setCurrent(root.path()));
    FigureDialog* dialog = FigureDialogOf(form_->parts());
    dialog->show();
    QString folder;
    QStringList filters;
    ModalAnswer answer([&](QWidget* w) {
        auto* chooser = qobject_cast<QFileDialog*>(w);
        QVERIFY(chooser);
        folder = chooser->directory().absolutePath();
        filters = chooser->nameFilters();
        chooser->reject();
    });
    dialog->browseButton->click();
    QVERIFY(answer.answered());
    dialog->hide();
    QCOMPARE(folder, root.path());
    // Each entry is shown under its own pattern.
    QCOMPARE(filters.size(), 2);
    QVERIFY2(filters[0].startsWith(QStringLiteral("*.gif; *.jpg; *.jpeg; *.png (")), qPrintable(filters[0]));
    QVERIFY2(filters[1].startsWith(QStringLiteral("*.* (")), qPrintable(filters[1]));
}

void InsertionTest::fieldsAreNamedByTheirCaptions_data() {
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("name");
    QTest::newRow("link reference") << "referenceEdit" << "Referência do elo";
    QTest::newRow("link text") << "linkTextEdit" << "Texto do Elo";
    QTest::newRow("figure file") << "figureNameEdit" << "Arquivo da figura";
    QTest::newRow("figure comment") << "figureCommentEdit" << "Comentário da figura";
    QTest::newRow("text to find") << "findWhatEdit" << "Localizar:";
}

void InsertionTest::fieldsAreNamedByTheirCaptions() {
    QFETCH(QString, widget);
    QFETCH(QString, name);
    LinkDialogOf(form_->parts());
    FigureDialogOf(form_->parts());
    QWidget* w = form_->findChild<QWidget*>(widget);
    QVERIFY(w);
    QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name), name);
}

void InsertionTest::formula_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("caret");
    QTest::newRow("empty text") << "" << 0 << 0 << "``" << 1;
    QTest::newRow("inside a word") << "ab" << 1 << 1 << "a``b" << 2;
    QTest::newRow("selection wrapped") << "x a+b y" << 2 << 5 << "x `a+b` y" << 7;
    QTest::newRow("selection made backwards") << "x a+b y" << 5 << 2 << "x `a+b` y" << 7;
    QTest::newRow("accented selection") << "área" << 0 << 4 << "`área`" << 6;
}

void InsertionTest::formula() {
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, after);
    QFETCH(int, caret);
    setText(form_->textEdit, text, anchor, position);
    QApplication::clipboard()->setText(QStringLiteral("guardado"));
    form_->action("formula")->trigger();
    QCOMPARE(form_->textEdit->toPlainText(), after);
    QCOMPARE(form_->textEdit->textCursor().position(), caret);
    QVERIFY(!form_->textEdit->textCursor().hasSelection());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("guardado"));
    form_->action("undo")->trigger();
    QCOMPARE(form_->textEdit->toPlainText(), text);
}

QTEST_MAIN(InsertionTest)
#include "insertion_test.moc"
