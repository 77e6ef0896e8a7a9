// The find command: where a search starts and stops, how letters compare, what the user sees
// when nothing is left to find, and the whole round from the keyboard alone.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "editor/finddialog.h"
#include "editor/insertcommands.h"
#include "editor/qtmessagesink.h"
#include "editor/velloqPrinc.h"
#include "editortext.h"
#include "modalanswer.h"
#include "recordingsink.h"

namespace {


QString repeated(char c, int n) { return QString(n, QLatin1Char(c)); }

}  // namespace

class FindTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void findForward_data();
    void findForward();
    void findNext_data();
    void findNext();
    void threeMatchesInAWordThenTheEnd();
    void openingUpdatesTheCaretIndicator();
    void escapeClosesAndTheTextStays();
    void nothingLeftIsAnInformationBox();

private:
    TForm1* form_ = nullptr;
};

void FindTest::init() {
    form_ = new TForm1;
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
}

void FindTest::cleanup() {
    delete form_;
    form_ = nullptr;
}

void FindTest::findForward_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("expected");
    QTest::newRow("match at offset 0") << "abc" << 0 << "ab" << 0;
    QTest::newRow("match at the start offset") << "xxabc" << 2 << "abc" << 2;
    QTest::newRow("only before the start") << "abc xyz" << 4 << "abc" << -1;
    QTest::newRow("start past the end") << "abc" << 9 << "a" << -1;
    QTest::newRow("empty text to find") << "abc" << 0 << "" << -1;
    QTest::newRow("capitals find lower case") << "uma ação útil" << 0 << "AÇÃO" << 4;
    QTest::newRow("lower case finds capitals") << "ÉTICA E ÁLGEBRA" << 0 << "álgebra" << 8;
    QTest::newRow("accent is not its base letter") << "cafe" << 0 << "é" << -1;
    // The stretch holds 65,000 characters from the start; a line end counts twice.
    QTest::newRow("ends on the limit") << repeated('x', 64998) + "ab" << 0 << "ab" << 64998;
    QTest::newRow("straddles the limit") << repeated('x', 64998) + "abc" << 0 << "abc" << -1;
    QTest::newRow("limit counts from the start") << repeated('p', 10) + repeated('x', 64998) + "yz" << 10 << "yz"
                                                 << 65008;
    QTest::newRow("line ends count twice, inside") << repeated('\n', 32499) + "ab" << 0 << "ab" << 32499;
    QTest::newRow("line ends count twice, outside") << repeated('\n', 32500) + "ab" << 0 << "ab" << -1;
}

void FindTest::findForward() {
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(QString, what);
    QFETCH(int, expected);
    QCOMPARE(FindForward(text, start, what), expected);
}

void FindTest::findNext_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("selStart");  // -1: "Busca terminada", the selection unchanged
    QTest::addColumn<QString>("indicator");
    QTest::newRow("caret at offset 0") << "abc abc" << 0 << 0 << "abc" << 0 << "L=1 C=1";
    QTest::newRow("from the selection's end") << "banana an" << 1 << 4 << "an" << 7 << "L=1 C=8";
    QTest::newRow("overlapping the selection is skipped") << "aaa" << 0 << 2 << "aa" << -1 << "";
    QTest::newRow("only before the caret") << "um dois" << 5 << 5 << "um" << -1 << "";
    QTest::newRow("capitals against accented lower case") << "linha\numa ação aqui" << 0 << 0 << "AÇÃO" << 10
                                                          << "L=2 C=5";
    QTest::newRow("straddling the limit") << "x" + repeated('y', 64999) + "zz" << 1 << 1 << "yzz" << -1 << "";
}

void FindTest::findNext() {
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, what);
    QFETCH(int, selStart);
    QFETCH(QString, indicator);
    setText(form_->Memo1, text, anchor, position);
    form_->l_lincol->setText(QStringLiteral("antes"));
    FindDialog(form_)->e_localizar->setText(what);
    RecordingSink sink;

    FindDialog1Find(form_);

    const QTextCursor cursor = form_->Memo1->textCursor();
    if (selStart < 0) {
        QCOMPARE(sink.calls, (std::vector<std::string>{"Information||Busca terminada"}));
        QCOMPARE(cursor.anchor(), anchor);
        QCOMPARE(cursor.position(), position);
        QCOMPARE(form_->l_lincol->text(), QStringLiteral("antes"));
    } else {
        QVERIFY(sink.calls.empty());
        QCOMPARE(cursor.selectionStart(), selStart);
        QCOMPARE(cursor.selectionEnd(), selStart + int(what.size()));
        QCOMPARE(form_->l_lincol->text(), indicator);
    }
    QCOMPARE(form_->Memo1->toPlainText(), text);
}

void FindTest::threeMatchesInAWordThenTheEnd() {
    setText(form_->Memo1, QStringLiteral("casa banana"), 5, 5);
    form_->Memo1->setFocus();
    TFindDialog* dialog = FindDialog(form_);
    RecordingSink sink;

    QList<int> starts;
    for (int press = 0; press < 4; ++press) {
        // Ctrl+F from the editor brings the dialog up with the focus in its text field.
        QTest::keyClick(form_->Memo1, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(dialog->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), dialog->e_localizar);
        if (press == 0) QTest::keyClicks(dialog->e_localizar, "A");
        QCOMPARE(dialog->e_localizar->selectedText(), press == 0 ? QString() : QStringLiteral("A"));
        QTest::keyClick(dialog->e_localizar, Qt::Key_Return);
        if (press < 3) {
            QTRY_VERIFY(form_->isActiveWindow());
            QCOMPARE(QApplication::focusWidget(), form_->Memo1);
            QVERIFY(dialog->isVisible());  // it stays open beside the window
        }
        starts << form_->Memo1->textCursor().selectionStart();
    }
    QCOMPARE(starts, (QList<int>{6, 8, 10, 10}));
    QCOMPARE(form_->Memo1->textCursor().selectionEnd(), 11);
    QCOMPARE(sink.calls, (std::vector<std::string>{"Information||Busca terminada"}));
}

void FindTest::openingUpdatesTheCaretIndicator() {
    setText(form_->Memo1, QStringLiteral("um\ndois\ntrês"), 7, 7);
    form_->l_lincol->setText(QStringLiteral("antes"));
    form_->action("Localizar1")->trigger();
    QVERIFY(FindDialog(form_)->isVisible());
    QCOMPARE(form_->l_lincol->text(), QStringLiteral("L=2 C=5"));
}

void FindTest::escapeClosesAndTheTextStays() {
    TFindDialog* dialog = FindDialog(form_);
    form_->action("Localizar1")->trigger();
    QTRY_VERIFY(dialog->isActiveWindow());
    QTest::keyClicks(dialog->e_localizar, "raiz");
    QTest::keyClick(dialog->e_localizar, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    form_->action("Localizar1")->trigger();
    QTRY_VERIFY(dialog->isActiveWindow());
    QCOMPARE(dialog->e_localizar->text(), QStringLiteral("raiz"));
    QCOMPARE(dialog->e_localizar->selectedText(), QStringLiteral("raiz"));
    dialog->b_fechar->click();
    QVERIFY(!dialog->isVisible());
}

void FindTest::nothingLeftIsAnInformationBox() {
    QtMessageSink sink;
    messages::Sink* previous = messages::Install(&sink);
    setText(form_->Memo1, QStringLiteral("abc"), 3, 3);
    TFindDialog* dialog = FindDialog(form_);
    form_->action("Localizar1")->trigger();
    QTRY_VERIFY(dialog->isActiveWindow());
    QTest::keyClicks(dialog->e_localizar, "a");

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QList<QAbstractButton*> buttons;
    ModalAnswer answer([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        icon = box->icon();
        text = box->text();
        buttons = box->buttons();
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::keyClick(dialog->e_localizar, Qt::Key_Return);
    messages::Install(previous);

    QVERIFY(answer.answered());
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(text, QStringLiteral("Busca terminada"));
    QCOMPARE(buttons.size(), 1);
    // Back in the dialog, ready for another try.
    QTRY_VERIFY(dialog->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), dialog->e_localizar);
    QCOMPARE(form_->Memo1->textCursor().position(), 3);
}

QTEST_MAIN(FindTest)
#include "find_test.moc"
