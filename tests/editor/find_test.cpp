// The find command: where a search starts and stops, how letters compare, what the user sees
// when nothing is left to find, and the whole round from the keyboard alone.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "editor/editing/finddialog.h"
#include "editor/editing/findcommands.h"
#include "editor/editing/insertcommands.h"
#include "editor/seams/qtmessagesink.h"
#include "editor/mainwindow/mainwindow.h"
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
    void findAgain_data();
    void findAgain();
    void replace_data();
    void replace();
    void openingUpdatesTheCaretIndicator();
    void escapeClosesAndTheTextStays();
    void nothingLeftIsAnInformationBox();

private:
    MainWindow* form_ = nullptr;
};

void FindTest::init() {
    form_ = new MainWindow;
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
    QTest::addColumn<QString>("status");  // the dialog's status line afterwards
    QTest::newRow("caret at offset 0") << "abc abc" << 0 << 0 << "abc" << 0 << "L=1 C=1"
                                       << "Encontrado na linha 1: abc abc";
    QTest::newRow("from the selection's end") << "banana an" << 1 << 4 << "an" << 7 << "L=1 C=8"
                                              << "Encontrado na linha 1: banana an";
    QTest::newRow("overlapping the selection is skipped") << "aaa" << 0 << 2 << "aa" << -1 << "" << "Busca terminada";
    QTest::newRow("only before the caret") << "um dois" << 5 << 5 << "um" << -1 << "" << "Busca terminada";
    QTest::newRow("capitals against accented lower case") << "linha\numa ação aqui" << 0 << 0 << "AÇÃO" << 10
                                                          << "L=2 C=5" << "Encontrado na linha 2: uma ação aqui";
    QTest::newRow("straddling the limit") << "x" + repeated('y', 64999) + "zz" << 1 << 1 << "yzz" << -1 << ""
                                          << "Busca terminada";
    QTest::newRow("a long line is cut in the status") << "a\n" + repeated('b', 300) << 0 << 0 << "bb" << 2 << "L=2 C=1"
        << "Encontrado na linha 2: " + repeated('b', 200) + QChar(0x2026);
    QTest::newRow("markup in the line is shown as text") << "<b>x</b>" << 0 << 0 << "x" << 3 << "L=1 C=4"
                                                         << "Encontrado na linha 1: <b>x</b>";
}

void FindTest::findNext() {
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, what);
    QFETCH(int, selStart);
    QFETCH(QString, indicator);
    QFETCH(QString, status);
    setText(form_->textEdit, text, anchor, position);
    form_->caretIndicator->setText(QStringLiteral("antes"));
    FindDialog* dialog = FindDialogOf(form_->parts());
    dialog->findWhatEdit->setText(what);
    RecordingSink sink;

    ::findNext(form_->parts());

    QCOMPARE(dialog->statusLine->text(), status);
    QCOMPARE(dialog->statusLine->textFormat(), Qt::PlainText);
    // Screen readers take the line for a notification and say it when it changes.
    QAccessibleInterface* line = QAccessible::queryAccessibleInterface(dialog->statusLine);
    QCOMPARE(line->text(QAccessible::Name), status);
    QCOMPARE(line->role(), QAccessible::Notification);
    const QTextCursor cursor = form_->textEdit->textCursor();
    if (selStart < 0) {
        QCOMPARE(sink.calls, (std::vector<std::string>{"Information||Busca terminada"}));
        QCOMPARE(cursor.anchor(), anchor);
        QCOMPARE(cursor.position(), position);
        QCOMPARE(form_->caretIndicator->text(), QStringLiteral("antes"));
    } else {
        QVERIFY(sink.calls.empty());
        QCOMPARE(cursor.selectionStart(), selStart);
        QCOMPARE(cursor.selectionEnd(), selStart + int(what.size()));
        QCOMPARE(form_->caretIndicator->text(), indicator);
    }
    QCOMPARE(form_->textEdit->toPlainText(), text);
}

void FindTest::threeMatchesInAWordThenTheEnd() {
    setText(form_->textEdit, QStringLiteral("casa banana"), 5, 5);
    form_->textEdit->setFocus();
    FindDialog* dialog = FindDialogOf(form_->parts());
    RecordingSink sink;

    // Ctrl+F from the editor brings the dialog up with the focus in its text field; Enter then
    // finds one occurrence after the other, the keyboard staying in the field, so that a
    // second Enter never reaches the text.
    QTest::keyClick(form_->textEdit, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(dialog->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), dialog->findWhatEdit);
    QTest::keyClicks(dialog->findWhatEdit, "A");
    QList<int> starts;
    for (int press = 0; press < 4; ++press) {
        QTest::keyClick(dialog->findWhatEdit, Qt::Key_Return);
        QTRY_VERIFY(dialog->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), dialog->findWhatEdit);
        starts << form_->textEdit->textCursor().selectionStart();
    }
    QCOMPARE(starts, (QList<int>{6, 8, 10, 10}));
    QCOMPARE(form_->textEdit->textCursor().selectionEnd(), 11);
    QCOMPARE(form_->textEdit->toPlainText(), QStringLiteral("casa banana"));
    QCOMPARE(sink.calls, (std::vector<std::string>{"Information||Busca terminada"}));
}

void FindTest::findAgain_data() {
    QTest::addColumn<QString>("searched");  // typed in the find dialog and looked for once; "" for none
    QTest::addColumn<QString>("where");     // where F3 is pressed: "editor" or "dialog"
    QTest::addColumn<int>("selStart");      // afterwards
    QTest::addColumn<QString>("focus");     // objectName of the focus afterwards
    QTest::addColumn<std::vector<std::string>>("messages");
    QTest::addColumn<QString>("said");  // on the window's notice line, which screen readers announce
    QTest::newRow("from the editor, the next one") << "ab" << "editor" << 3 << "textEdit" << std::vector<std::string>{}
                                                   << "Encontrado na linha 1: ab ab xy";
    QTest::newRow("in the dialog, as Enter") << "ab" << "dialog" << 3 << "findWhatEdit" << std::vector<std::string>{}
                                             << "";
    QTest::newRow("from the editor, none left") << "xy" << "editor" << 6 << "textEdit"
                                                << std::vector<std::string>{"Information||Busca terminada"} << "";
    QTest::newRow("nothing looked for yet opens the dialog") << "" << "editor" << 0 << "findWhatEdit"
                                                             << std::vector<std::string>{} << "";
}

void FindTest::findAgain() {
    QFETCH(QString, searched);
    QFETCH(QString, where);
    QFETCH(int, selStart);
    QFETCH(QString, focus);
    QFETCH(std::vector<std::string>, messages);
    QFETCH(QString, said);
    setText(form_->textEdit, QStringLiteral("ab ab xy"), 0, 0);
    FindDialog* dialog = FindDialogOf(form_->parts());
    // A fresh program has looked for nothing: a search of nothing stands for that.
    dialog->findWhatEdit->setText(searched);
    ::findNext(form_->parts());
    RecordingSink sink;
    if (where == "dialog") {
        form_->action("find")->trigger();
        QTRY_VERIFY(dialog->isActiveWindow());
        QTest::keyClick(dialog->findWhatEdit, Qt::Key_F3);
    } else {
        dialog->close();
        form_->activateWindow();
        form_->textEdit->setFocus();
        QTRY_VERIFY(form_->isActiveWindow());
        QTest::keyClick(form_->textEdit, Qt::Key_F3);
    }
    QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focus);
    QCOMPARE(form_->textEdit->textCursor().selectionStart(), selStart);
    QCOMPARE(sink.calls, messages);
    QCOMPARE(form_->textEdit->toPlainText(), QStringLiteral("ab ab xy"));
    auto* notice = form_->findChild<QLabel*>(QStringLiteral("noticeLine"));
    QVERIFY(notice);
    QCOMPARE(notice->isVisible() ? notice->text() : QString(), said);
    if (!said.isEmpty()) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(notice);
        QCOMPARE(face->role(), QAccessible::Notification);
        QCOMPARE(face->text(QAccessible::Name), said);
    }
}

void FindTest::replace_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("with");
    QTest::addColumn<QString>("button");  // findNextButton, replaceButton or replaceAllButton
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("status");
    QTest::newRow("find only") << "abc ABC" << 1 << 1 << "abc" << "x" << "findNextButton" << "abc ABC" << 4 << 7
                               << "Encontrado na linha 1: abc ABC";
    QTest::newRow("replace the found one, then find the next")
        << "casa CASA casa" << 0 << 4 << "casa" << "lar" << "replaceButton" << "lar CASA casa" << 4 << 8
        << "Encontrado na linha 1: lar CASA casa";
    QTest::newRow("a selection that is no occurrence is only searched from")
        << "ab ab" << 0 << 1 << "ab" << "x" << "replaceButton" << "ab ab" << 3 << 5 << "Encontrado na linha 1: ab ab";
    QTest::newRow("the last one replaced, then the end")
        << "um\nÚltimo" << 3 << 9 << "último" << "fim" << "replaceButton" << "um\nfim" << 6 << 6 << "Busca terminada";
    QTest::newRow("all, any case, accents") << "Ação ação\nAÇÃO" << 0 << 0 << "ação" << "x" << "replaceAllButton" << "x x\nx"
                                            << 0 << 0 << "3 ocorrências substituídas";
    QTest::newRow("all, the caret keeps its place") << "aXa aXa" << 4 << 4 << "x" << "yyy" << "replaceAllButton"
                                                    << "ayyya ayyya" << 6 << 6 << "2 ocorrências substituídas";
    QTest::newRow("all, one") << "pão" << 3 << 3 << "ÃO" << "ães" << "replaceAllButton" << "pães" << 4 << 4
                              << "1 ocorrência substituída";
    QTest::newRow("all, the replacement holds the text") << "a a" << 0 << 0 << "a" << "aa" << "replaceAllButton" << "aa aa"
                                                         << 0 << 0 << "2 ocorrências substituídas";
    QTest::newRow("all, to nothing") << "x-x" << 0 << 0 << "x" << "" << "replaceAllButton" << "-" << 0 << 0
                                     << "2 ocorrências substituídas";
    QTest::newRow("all, none") << "abc" << 1 << 2 << "z" << "y" << "replaceAllButton" << "abc" << 1 << 2
                               << "Nenhuma ocorrência substituída";
    QTest::newRow("all, empty text to find") << "abc" << 0 << 0 << "" << "y" << "replaceAllButton" << "abc" << 0 << 0
                                             << "Nenhuma ocorrência substituída";
    QTest::newRow("all, past the find limit") << repeated('x', 70000) + "ab" << 0 << 0 << "ab" << "c" << "replaceAllButton"
                                              << repeated('x', 70000) + "c" << 0 << 0 << "1 ocorrência substituída";
}

void FindTest::replace() {
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, what);
    QFETCH(QString, with);
    QFETCH(QString, button);
    QFETCH(QString, after);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QString, status);
    setText(form_->textEdit, text, anchor, position);
    form_->textEdit->document()->setModified(false);
    RecordingSink sink;
    // Ctrl+H, the two fields typed, then the button from the keyboard.
    QTest::keyClick(form_->textEdit, Qt::Key_H, Qt::ControlModifier);
    FindDialog* dialog = ReplaceDialogOf(form_->parts());
    QTRY_VERIFY(dialog->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), dialog->findWhatEdit);
    dialog->findWhatEdit->setText(what);
    dialog->replaceWithEdit->setText(with);
    auto* pressed = dialog->findChild<QPushButton*>(button);
    pressed->setFocus();
    QTest::keyClick(pressed, Qt::Key_Space);

    QCOMPARE(form_->textEdit->toPlainText(), after);
    QCOMPARE(form_->textEdit->textCursor().selectionStart(), selStart);
    QCOMPARE(form_->textEdit->textCursor().selectionEnd(), selEnd);
    QCOMPARE(dialog->statusLine->text(), status);
    QCOMPARE(sink.calls, status == "Busca terminada" ? std::vector<std::string>{"Information||Busca terminada"}
                                                     : std::vector<std::string>{});
    QCOMPARE(form_->textEdit->document()->isModified(), after != text);
    QTRY_VERIFY(dialog->isActiveWindow());
    if (button == "replaceAllButton") {
        // The count is said once: the control that has the keyboard describes it, and neither
        // it nor the next control does once the keyboard moves on.
        QCOMPARE(pressed->accessibleDescription(), status);
        QTest::keyClick(pressed, Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        QVERIFY(next && next != pressed);
        QCOMPARE(next->accessibleDescription(), QString());
        QCOMPARE(pressed->accessibleDescription(), QString());
    }
    // One undo step takes the whole command back.
    form_->action("undo")->trigger();
    QCOMPARE(form_->textEdit->toPlainText(), text);
}

void FindTest::openingUpdatesTheCaretIndicator() {
    setText(form_->textEdit, QStringLiteral("um\ndois\ntrês"), 7, 7);
    form_->caretIndicator->setText(QStringLiteral("antes"));
    form_->action("find")->trigger();
    QVERIFY(FindDialogOf(form_->parts())->isVisible());
    QCOMPARE(form_->caretIndicator->text(), QStringLiteral("L=2 C=5"));
}

void FindTest::escapeClosesAndTheTextStays() {
    FindDialog* dialog = FindDialogOf(form_->parts());
    form_->action("find")->trigger();
    QTRY_VERIFY(dialog->isActiveWindow());
    QTest::keyClicks(dialog->findWhatEdit, "raiz");
    QTest::keyClick(dialog->findWhatEdit, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    form_->action("find")->trigger();
    QTRY_VERIFY(dialog->isActiveWindow());
    QCOMPARE(dialog->findWhatEdit->text(), QStringLiteral("raiz"));
    QCOMPARE(dialog->findWhatEdit->selectedText(), QStringLiteral("raiz"));
    dialog->closeButton->click();
    QVERIFY(!dialog->isVisible());
}

void FindTest::nothingLeftIsAnInformationBox() {
    QtMessageSink sink;
    messages::Sink* previous = messages::Install(&sink);
    setText(form_->textEdit, QStringLiteral("abc"), 3, 3);
    FindDialog* dialog = FindDialogOf(form_->parts());
    form_->action("find")->trigger();
    QTRY_VERIFY(dialog->isActiveWindow());
    QTest::keyClicks(dialog->findWhatEdit, "a");

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
    QTest::keyClick(dialog->findWhatEdit, Qt::Key_Return);
    messages::Install(previous);

    QVERIFY(answer.answered());
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(text, QStringLiteral("Busca terminada"));
    QCOMPARE(buttons.size(), 1);
    // Back in the dialog, ready for another try.
    QTRY_VERIFY(dialog->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), dialog->findWhatEdit);
    QCOMPARE(form_->textEdit->textCursor().position(), 3);
}

QTEST_MAIN(FindTest)
#include "find_test.moc"
