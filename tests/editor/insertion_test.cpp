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

#include "editor/insertcommands.h"
#include "editor/ufigura.h"
#include "editor/uelo.h"
#include "editor/velloqPrinc.h"
#include "modalanswer.h"
#include "recordingsink.h"

namespace {

// Puts text in the editor and selects from anchor to position.
void setText(QPlainTextEdit* memo, const QString& text, int anchor, int position) {
    memo->setPlainText(text);
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    memo->document()->setModified(false);
}

// Closes a dialog the way the user chose: "ok" (Enter in field), "cancel" (the button),
// "esc" (Escape in field) or "close" (the window's close box).
void closeDialog(QDialog* dialog, QPushButton* cancel, QWidget* field, const QString& how) {
    if (how == "ok") QTest::keyClick(field, Qt::Key_Return);
    else if (how == "esc") QTest::keyClick(field, Qt::Key_Escape);
    else if (how == "cancel") cancel->click();
    else dialog->close();
}

// A chooser that answers from the test: the path it returns (nullopt for a cancel), and a
// folder it moves the current directory to first, as a file dialog may.
class ScriptedChooser final : public FigureChooser {
public:
    std::optional<QString> ChooseFile(QWidget*, const QString& folder, const QStringList& filters) override {
        seenFolder = folder;
        seenFilters = filters;
        ++calls;
        if (!moveTo.isEmpty()) QDir::setCurrent(moveTo);
        return answer;
    }
    std::optional<QString> answer;
    QString moveTo;
    QString seenFolder;
    QStringList seenFilters;
    int calls = 0;
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
    void linkDialogStartsOverAfterAnEmailLink();
    void linkKindsFromTheKeyboard();
    void label_data();
    void label();
    void figure_data();
    void figure();
    void figureFieldsStartEmptyEveryTime();
    void figurePath_data();
    void figurePath();
    void procurar_data();
    void procurar();
    void procurarOpensAFileDialogInTheWorkFolder();
    void fieldsAreNamedByTheirCaptions_data();
    void fieldsAreNamedByTheirCaptions();

private:
    TForm1* form_ = nullptr;
    QString startDir_;
};

void InsertionTest::init() {
    form_ = new TForm1;
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
    QApplication::clipboard()->setText(QStringLiteral("antes"));
}

void InsertionTest::cleanup() {
    delete form_;
    form_ = nullptr;
    InstallFigureChooser(nullptr);
    QDir::setCurrent(startDir_);
}

void InsertionTest::link_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("before");     // typed over the reference before choosing
    QTest::addColumn<QString>("kind");       // the choice clicked, "" for none
    QTest::addColumn<QString>("reference");  // typed over the reference, null for none
    QTest::addColumn<QString>("linkText");
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("expected");
    const QString keep;
    QTest::newRow("page in this site") << "" << 0 << 0 << "" << "" << keep << "Início" << "ok"
                                       << "\n{paginalocal.htm Início}\n";
    QTest::newRow("splits a line in three") << "antes depois" << 6 << 6 << "" << "" << keep << "ver" << "ok"
                                            << "antes \n{paginalocal.htm ver}\ndepois";
    QTest::newRow("external site") << "" << 0 << 0 << "" << "RadioButton1" << keep << "Site" << "ok"
                                   << "\n{http://www. Site}\n";
    QTest::newRow("label in this page") << "" << 0 << 0 << "" << "RadioButton2" << keep << "Topo" << "ok"
                                        << "\n{# Topo}\n";
    QTest::newRow("e-mail") << "" << 0 << 0 << "" << "RadioButton3" << keep << "Escreva" << "ok"
                            << "\n{mailto:nome@exemplo.com.br Escreva}\n";
    QTest::newRow("reference typed after the kind") << "" << 0 << 0 << "" << "RadioButton1" << "http://www.ufrj.br"
                                                    << "UFRJ" << "ok" << "\n{http://www.ufrj.br UFRJ}\n";
    QTest::newRow("kind chosen after typing replaces it") << "" << 0 << 0 << "meu.htm" << "RadioButton2" << keep
                                                          << "x" << "ok" << "\n{# x}\n";
    QTest::newRow("empty link text") << "" << 0 << 0 << "" << "" << keep << "" << "ok" << "\n{paginalocal.htm }\n";
    QTest::newRow("parts taken as typed") << "" << 0 << 0 << "" << "" << " a b " << " c } " << "ok"
                                          << "\n{ a b   c } }\n";
    QTest::newRow("replaces the selection") << "trocar isto" << 11 << 7 << "" << "" << keep << "y" << "ok"
                                            << "trocar \n{paginalocal.htm y}\n";
    QTest::newRow("cancel") << "fica" << 2 << 2 << "" << "RadioButton1" << keep << "z" << "cancel" << "fica";
    QTest::newRow("escape") << "fica" << 2 << 2 << "" << "" << keep << "z" << "esc" << "fica";
    QTest::newRow("close box") << "fica" << 2 << 2 << "" << "" << keep << "z" << "close" << "fica";
}

void InsertionTest::link() {
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, before);
    QFETCH(QString, kind);
    QFETCH(QString, reference);
    QFETCH(QString, linkText);
    QFETCH(QString, close);
    QFETCH(QString, expected);
    setText(form_->Memo1, text, anchor, position);

    ModalAnswer answer([&](QWidget* w) {
        auto* dialog = qobject_cast<TOKEloDlg*>(w);
        QVERIFY(dialog);
        if (!before.isEmpty()) dialog->e_referencia->setText(before);
        if (!kind.isEmpty()) dialog->findChild<QRadioButton*>(kind)->click();
        if (!reference.isNull()) dialog->e_referencia->setText(reference);
        dialog->e_texto->setText(linkText);
        closeDialog(dialog, dialog->CancelBtn, dialog->e_texto, close);
    });
    form_->action("Link1")->trigger();
    QVERIFY(answer.answered());

    const bool inserted = close == "ok";
    QCOMPARE(form_->Memo1->toPlainText(), expected);
    QCOMPARE(LinkDialog(form_)->Confirmed, inserted);
    QCOMPARE(form_->Memo1->document()->isModified(), inserted);
    QCOMPARE(QApplication::clipboard()->text(), inserted ? QString() : QStringLiteral("antes"));
    if (inserted) {
        // The caret stands after the inserted line end.
        const int end = int(expected.lastIndexOf(QLatin1Char('}'))) + 2;
        QCOMPARE(form_->Memo1->textCursor().position(), end);
    }
}

void InsertionTest::linkDialogStartsOverAfterAnEmailLink() {
    ModalAnswer first([](QWidget* w) {
        auto* dialog = qobject_cast<TOKEloDlg*>(w);
        QVERIFY(dialog);
        dialog->RadioButton3->click();
        QVERIFY(dialog->e_referencia->text().startsWith(QStringLiteral("mailto:")));
        dialog->e_texto->setText(QStringLiteral("Escreva-me"));
        dialog->OKBtn->click();
    });
    form_->action("Link1")->trigger();
    QVERIFY(first.answered());
    const QString afterFirst = form_->Memo1->toPlainText();

    bool pageKind = false, emailKind = true, focusOnPageKind = false;
    QString reference, linkText;
    ModalAnswer second([&](QWidget* w) {
        auto* dialog = qobject_cast<TOKEloDlg*>(w);
        pageKind = dialog->r_nesteSite->isChecked();
        emailKind = dialog->RadioButton3->isChecked();
        focusOnPageKind = dialog->focusWidget() == dialog->r_nesteSite;
        reference = dialog->e_referencia->text();
        linkText = dialog->e_texto->text();
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
    });
    form_->action("Link1")->trigger();
    QVERIFY(second.answered());
    QVERIFY(pageKind);
    QVERIFY(!emailKind);
    QVERIFY(focusOnPageKind);
    QCOMPARE(reference, QStringLiteral("paginalocal.htm"));
    QCOMPARE(linkText, QStringLiteral("Escreva-me"));
    QVERIFY(!LinkDialog(form_)->Confirmed);
    QCOMPARE(form_->Memo1->toPlainText(), afterFirst);
}

void InsertionTest::linkKindsFromTheKeyboard() {
    QStringList references;
    ModalAnswer answer([&](QWidget* w) {
        auto* dialog = qobject_cast<TOKEloDlg*>(w);
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
            QTest::keyClick(dialog->focusWidget(), key);
            references << dialog->e_referencia->text();
        }
        // Tab leads from the choices to the reference field (its text selected), then to the
        // text.
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        QCOMPARE(dialog->focusWidget(), dialog->e_referencia);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_End);
        QTest::keyClicks(dialog->focusWidget(), "topo");
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(dialog->focusWidget(), "volta");
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    form_->action("Link1")->trigger();
    QVERIFY(answer.answered());
    QCOMPARE(references, (QStringList{"http://www.", "#", "mailto:nome@exemplo.com.br", "#"}));
    QCOMPARE(form_->Memo1->toPlainText(), QStringLiteral("\n{#topo volta}\n"));
}

void InsertionTest::label_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one word") << "abc" << 3 << false << "inicio" << "abc\n#inicio\n";
    QTest::newRow("empty name") << "" << 0 << false << "" << "\n#\n";
    QTest::newRow("blanks kept") << "" << 0 << false << "  dois nomes " << "\n#  dois nomes \n";
    QTest::newRow("accented name mid-line") << "ab" << 1 << false << "seção" << "a\n#seção\nb";
    QTest::newRow("cancelled") << "ab" << 1 << true << "" << "ab";
}

void InsertionTest::label() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(bool, cancel);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    setText(form_->Memo1, text, caret, caret);
    RecordingSink sink;
    sink.texts.push_back(cancel ? std::nullopt : std::optional<std::string>(name.toStdString()));

    form_->action("Rotulo1")->trigger();

    QCOMPARE(sink.calls, (std::vector<std::string>{"AskText|Nome do rótulo|Como se chama esta posição?|"}));
    QCOMPARE(form_->Memo1->toPlainText(), expected);
    QCOMPARE(QApplication::clipboard()->text(), cancel ? QStringLiteral("antes") : QString());
}

void InsertionTest::figure_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("close");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file and comment") << "" << 0 << "img/a.png" << "Legenda" << "ok" << true
                                      << "\n$img/a.png Legenda$\n";
    QTest::newRow("no comment") << "" << 0 << "a.png" << "" << "ok" << true << "\n$a.png $\n";
    QTest::newRow("splits a line") << "ab" << 1 << "x.gif" << "c d" << "ok" << true << "a\n$x.gif c d$\nb";
    QTest::newRow("empty file name with a comment") << "ab" << 1 << "" << "Legenda" << "ok" << false << "ab";
    QTest::newRow("cancel") << "ab" << 1 << "a.png" << "c" << "cancel" << false << "ab";
    QTest::newRow("escape") << "ab" << 1 << "a.png" << "c" << "esc" << false << "ab";
    QTest::newRow("close box") << "ab" << 1 << "a.png" << "c" << "close" << false << "ab";
}

void InsertionTest::figure() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, file);
    QFETCH(QString, comment);
    QFETCH(QString, close);
    QFETCH(bool, confirmed);
    QFETCH(QString, expected);
    setText(form_->Memo1, text, caret, caret);
    RecordingSink sink;

    bool closed = false;
    ModalAnswer answer([&](QWidget* w) {
        auto* dialog = qobject_cast<TOKFiguraDlg*>(w);
        QVERIFY(dialog);
        dialog->e_nomeFig->setText(file);
        dialog->e_comentFig->setText(comment);
        closeDialog(dialog, dialog->CancelBtn, dialog->e_comentFig, close);
        closed = !dialog->isVisible();
    });
    form_->action("Imagem1")->trigger();
    QVERIFY(answer.answered());
    QVERIFY(closed);  // the refused OK closes the dialog too
    QCOMPARE(FigureDialog(form_)->Confirmed, confirmed);
    QCOMPARE(form_->Memo1->toPlainText(), expected);
    QVERIFY(sink.calls.empty());  // the refusal says nothing
}

void InsertionTest::figureFieldsStartEmptyEveryTime() {
    ModalAnswer first([](QWidget* w) {
        auto* dialog = qobject_cast<TOKFiguraDlg*>(w);
        dialog->e_nomeFig->setText(QStringLiteral("a.png"));
        dialog->e_comentFig->setText(QStringLiteral("Legenda"));
        dialog->OKBtn->click();
    });
    form_->action("Imagem1")->trigger();
    QVERIFY(first.answered());
    QVERIFY(FigureDialog(form_)->Confirmed);

    QString file = "?", comment = "?";
    bool focusOnFile = false;
    ModalAnswer second([&](QWidget* w) {
        auto* dialog = qobject_cast<TOKFiguraDlg*>(w);
        file = dialog->e_nomeFig->text();
        comment = dialog->e_comentFig->text();
        focusOnFile = dialog->focusWidget() == dialog->e_nomeFig;
        dialog->reject();
    });
    form_->action("Imagem1")->trigger();
    QVERIFY(second.answered());
    QCOMPARE(file, QString());
    QCOMPARE(comment, QString());
    QVERIFY(focusOnFile);
    QVERIFY(!FigureDialog(form_)->Confirmed);
}

void InsertionTest::figurePath_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("in the folder") << "/w/textos/a.png" << "/w/textos" << "a.png";
    QTest::newRow("in a subfolder") << "/w/textos/img/a.png" << "/w/textos" << "img/a.png";
    QTest::newRow("two levels down") << "/w/textos/img/x/a.png" << "/w/textos" << "img/x/a.png";
    QTest::newRow("another folder") << "/outra/a.png" << "/w/textos" << "/outra/a.png";
    QTest::newRow("the folder's parent") << "/w/a.png" << "/w/textos" << "/w/a.png";
    QTest::newRow("sibling with the folder's name as prefix") << "/w/textos2/a.png" << "/w/textos"
                                                              << "/w/textos2/a.png";
    QTest::newRow("folder named in other letter case") << "/w/Textos/a.png" << "/w/textos" << "/w/Textos/a.png";
    QTest::newRow("accented names") << "/w/ação/fórmulas/é.png" << "/w/ação" << "fórmulas/é.png";
    QTest::newRow("backslash is part of a name") << "/w/textos/a\\b.png" << "/w/textos" << "a\\b.png";
    QTest::newRow("root folder") << "/img/a.png" << "" << "img/a.png";
    QTest::newRow("root folder with its slash") << "/a.png" << "/" << "a.png";
    QTest::newRow("the folder itself") << "/w/textos/" << "/w/textos" << "/w/textos/";
}

void InsertionTest::figurePath() {
    QFETCH(QString, chosen);
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(FigurePathFor(chosen, folder), expected);
}

void InsertionTest::procurar_data() {
    QTest::addColumn<QString>("chosen");  // under the temporary root; null for a cancel
    QTest::addColumn<QString>("moveTo");  // where the chooser moves the current directory
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");  // "%1" stands for the temporary root
    const QString none;
    QTest::newRow("in the work folder") << "textos/a.png" << none << "" << "a.png";
    QTest::newRow("in a subfolder") << "textos/img/a.png" << none << "" << "img/a.png";
    QTest::newRow("another folder") << "outra/a.png" << none << "" << "%1/outra/a.png";
    QTest::newRow("sibling with a common prefix") << "textos2/a.png" << none << "" << "%1/textos2/a.png";
    QTest::newRow("replaces a typed name") << "textos/b.jpg" << none << "velho.png" << "b.jpg";
    QTest::newRow("chooser moved the directory") << "outra/a.png" << "outra" << "" << "%1/outra/a.png";
    QTest::newRow("cancel keeps a typed name") << none << none << "minha.png" << "minha.png";
    QTest::newRow("cancel after moving the directory") << none << "outra" << "minha.png" << "minha.png";
}

void InsertionTest::procurar() {
    QFETCH(QString, chosen);
    QFETCH(QString, moveTo);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const char* folder : {"textos/img", "textos2", "outra"}) QVERIFY(QDir(root.path()).mkpath(folder));
    const QString work = root.path() + "/textos";
    QVERIFY(QDir::setCurrent(work));

    ScriptedChooser chooser;
    if (!chosen.isNull()) chooser.answer = root.path() + '/' + chosen;
    if (!moveTo.isNull()) chooser.moveTo = root.path() + '/' + moveTo;
    InstallFigureChooser(&chooser);

    TOKFiguraDlg* dialog = FigureDialog(form_);
    dialog->show();
    dialog->e_nomeFig->setText(typed);
    dialog->e_comentFig->setText(QStringLiteral("comentário"));
    dialog->b_procurar->click();
    dialog->hide();

    QCOMPARE(chooser.calls, 1);
    QCOMPARE(chooser.seenFolder, QDir::currentPath());
    QCOMPARE(dialog->e_nomeFig->text(), expected.contains("%1") ? expected.arg(root.path()) : expected);
    QCOMPARE(dialog->e_comentFig->text(), QStringLiteral("comentário"));
    QCOMPARE(QDir::currentPath(), work);
}

void InsertionTest::procurarOpensAFileDialogInTheWorkFolder() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir::setCurrent(root.path()));
    TOKFiguraDlg* dialog = FigureDialog(form_);
    dialog->show();
    dialog->e_nomeFig->setText(QStringLiteral("digitado.png"));

    QString folder;
    QStringList filters;
    ModalAnswer answer([&](QWidget* w) {
        auto* chooser = qobject_cast<QFileDialog*>(w);
        QVERIFY(chooser);
        folder = chooser->directory().absolutePath();
        filters = chooser->nameFilters();
        chooser->reject();
    });
    dialog->b_procurar->click();
    QVERIFY(answer.answered());
    dialog->hide();

    QCOMPARE(folder, QDir(root.path()).absolutePath());
    QCOMPARE(filters.size(), 2);
    QVERIFY2(filters[0].startsWith(QStringLiteral("*.gif; *.jpg; *.jpeg; *.png (")), qPrintable(filters[0]));
    QVERIFY2(filters[1].startsWith(QStringLiteral("*.* (")), qPrintable(filters[1]));
    QCOMPARE(dialog->e_nomeFig->text(), QStringLiteral("digitado.png"));
}

void InsertionTest::fieldsAreNamedByTheirCaptions_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("name");
    QTest::newRow("link reference") << "OKEloDlg" << "e_referencia" << "Referência do elo";
    QTest::newRow("link text") << "OKEloDlg" << "e_texto" << "Texto do Elo";
    QTest::newRow("link kind") << "OKEloDlg" << "RadioButton2" << "Referência a outro lugar (rótulo) nesta página";
    QTest::newRow("link frame") << "OKEloDlg" << "GroupBox1" << "Tipo de Elo";
    QTest::newRow("figure file") << "OKFiguraDlg" << "e_nomeFig" << "Arquivo da figura";
    QTest::newRow("figure comment") << "OKFiguraDlg" << "e_comentFig" << "Comentário da figura";
    QTest::newRow("figure chooser") << "OKFiguraDlg" << "b_procurar" << "Procurar";
}

void InsertionTest::fieldsAreNamedByTheirCaptions() {
    QFETCH(QString, dialog);
    QFETCH(QString, widget);
    QFETCH(QString, name);
    QDialog* window = dialog == "OKEloDlg" ? static_cast<QDialog*>(LinkDialog(form_)) : FigureDialog(form_);
    QWidget* w = window->findChild<QWidget*>(widget);
    QVERIFY(w);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    QVERIFY(face);
    QCOMPARE(face->text(QAccessible::Name), name);
}

QTEST_MAIN(InsertionTest)
#include "insertion_test.moc"
