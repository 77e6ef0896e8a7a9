// The tips window and the about box: what they show, how they open from the keyboard and how
// they close.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include "editor/help/helpcommands.h"
#include "editor/help/aboutbox.h"
#include "editor/help/tipswindow.h"
#include "editor/mainwindow/mainwindow.h"
#include "modalanswer.h"

class WindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void tipsText_data();
    void tipsText();
    void tipsWindowFromTheKeyboard_data();
    void tipsWindowFromTheKeyboard();
    void tipsEditsLastButAreNotStored();
    void aboutShowsTheVersionEveryTime();

private:
    MainWindow* form_ = nullptr;
};

// One main window for every test; each starts with it alone on screen and active, and with
// the tips holding the sample, as after a start.
void WindowsTest::initTestCase() {
    form_ = new MainWindow;
    form_->show();
}

void WindowsTest::cleanupTestCase() {
    delete form_;
    form_ = nullptr;
}

void WindowsTest::init() {
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_, 30000));
}

void WindowsTest::cleanup() {
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    TipsWindow* tips = TipsWindowOf(form_->parts());
    tips->close();
    tips->textEdit->setPlainText(TipsLines().join(QLatin1Char('\n')));
    AboutBoxOf(form_->parts())->hide();
    QTRY_VERIFY(!tips->isVisible());
}

void WindowsTest::tipsText_data() {
    // Line number (1-based) and its text; blanks at both ends matter.
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    const char* const lines[] = {
        "&FP login.php", "", "CPF:", "&T 11 cpf \"12345678901\"", "", "&d data \"2021-01-11\"", "",
        "&S times", "flamengo \"Flamengo\"", "vasco \"Vasco\"", "botafogo \"Botafogo\"",
        "fluminense \"Fluminense\"", "&S", "", "Escolha a opção para vereador",
        " &R  candidato oq \"Otávio Quintas\" *", " &R  candidato df \"Dario Fontes\"",
        " &R  candidato ib \"Irene Bastos\"", " &R  candidato br \"Voto em branco\"", "",
        "Marque os que interessar", " &C  arroz       \"Arroz\" *", " &C  feijao      \"Feijoada\" *",
        " &C  abobora     \"Jabá com Jirimum\"", " &C  dobradinha  \"Dobradinha\"", "", "&U \"arqUpload\"", "",
        "&A 10 50 teste", "Texto de textarea.", "Este é um teste do sistema de funcionamento do sistema ",
        "TextArea.  Nesta região os códigos html são ignorados até a ",
        "ocorrência do sinal &A* no início da linha.", "Vamos ver se está tudo normal.", "&A*", "",
        "&* login LOGIN", "&/ reset \"RESET\"", "&"};
    int n = 0;
    for (const char* line : lines) {
        ++n;
        QTest::addRow("line %d", n) << n << QString::fromUtf8(line);
    }
    QTest::newRow("no line 40") << 40 << QString();
}

void WindowsTest::tipsText() {
    QFETCH(int, line);
    QFETCH(QString, text);
    form_->action("formTips")->trigger();
    TipsWindow* tips = TipsWindowOf(form_->parts());
    QVERIFY(tips->isVisible());
    const QTextBlock block = tips->textEdit->document()->findBlockByNumber(line - 1);
    if (line == 40) {
        QVERIFY(!block.isValid());
        return;
    }
    QVERIFY(block.isValid());
    QCOMPARE(block.text(), text);
}

void WindowsTest::tipsWindowFromTheKeyboard_data() {
    QTest::addColumn<QString>("closeWith");
    QTest::newRow("Fechar by Tab and Space") << "button";
    QTest::newRow("Escape") << "escape";
}

void WindowsTest::tipsWindowFromTheKeyboard() {
    QFETCH(QString, closeWith);
    TipsWindow* tips = TipsWindowOf(form_->parts());
    // Alt+? opens the "&?" menu; D chooses "&Dicas para criar formulário".
    QTest::keyClick(form_, Qt::Key_Question, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QCOMPARE(QApplication::activePopupWidget()->objectName(), QStringLiteral("helpMenu"));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_D);
    QTRY_VERIFY(tips->isActiveWindow());
    QCOMPARE(tips->windowTitle(), QStringLiteral("Dicas para criar formulário"));
    QCOMPARE(tips->size(), QSize(334, 625));
    QCOMPARE(QApplication::focusWidget(), tips->textEdit);
    QVERIFY(form_->isEnabled());  // not modal: the main window stays usable

    if (closeWith == "button") {
        QTest::keyClick(tips->textEdit, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tips->closeButton);
        QCOMPARE(tips->closeButton->text(), QStringLiteral("Fechar"));
        QTest::keyClick(tips->closeButton, Qt::Key_Space);
    } else {
        QTest::keyClick(tips->textEdit, Qt::Key_Escape);
    }
    QTRY_VERIFY(!tips->isVisible());
}

void WindowsTest::tipsEditsLastButAreNotStored() {
    form_->action("formTips")->trigger();
    TipsWindow* tips = TipsWindowOf(form_->parts());
    QVERIFY(!tips->textEdit->isReadOnly());
    tips->textEdit->selectAll();
    QTest::keyClicks(tips->textEdit, "meu teste");
    tips->closeButton->click();
    QVERIFY(!tips->isVisible());
    form_->action("formTips")->trigger();
    QCOMPARE(tips->textEdit->toPlainText(), QStringLiteral("meu teste"));
    // A new run (a new window) starts from the sample again.
    QCOMPARE(TipsWindow().textEdit->document()->blockCount(), 39);
}

void WindowsTest::aboutShowsTheVersionEveryTime() {
    QStringList shown;
    for (int time = 0; time < 2; ++time) {
        ModalAnswer answer([&](QWidget* w) {
            auto* box = qobject_cast<AboutBox*>(w);
            QVERIFY(box);
            shown << box->versionLabel->text();
            QCOMPARE(QApplication::focusWidget(), box->OKButton);
            QCOMPARE(QAccessible::queryAccessibleInterface(box->OKButton)->text(QAccessible::Description),
                     QStringLiteral("Velloq, Editor de Textos Matemáticos, v. 0.92"));
            // Whatever the label holds between showings, the next one writes the version again.
            box->versionLabel->setText(QStringLiteral("v. 1.0"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        form_->action("about")->trigger();
        QVERIFY(answer.answered());
        QVERIFY(!AboutBoxOf(form_->parts())->isVisible());
    }
    QCOMPARE(shown, (QStringList{"v. 0.92", "v. 0.92"}));
    QCOMPARE(AboutBoxOf(form_->parts())->ProgramIcon->size(), QSize(65, 57));
}

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
