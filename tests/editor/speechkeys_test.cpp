// F9 speaks the caret's whole line from wherever the focus is in the main window; Shift+F9
// one formula of it, read by the real formula speech server; F8 silences the program's speech.
#include <poll.h>

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "editor/mainwindow/mainwindow.h"
#include "platform/codepage.h"
#include "speech/speechcommands.h"
#include "speech/formulaspeech.h"
#include "speech/socketclient.h"
#include "tests/speech/recording_voice.h"
#include "tests/speech/test_server.h"

class SpeechKeysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The hint that follows a run's first unread formula is tested with the speech module;
        // here it is spent at once, so that F9 speaks the line alone.
        speechtest::RecordingVoice voice;
        speechcommands::SpeakCaretLine("`x`");
        QVERIFY(speechcommands::HintGiven());
    }
    void f9SpeaksTheWholeLine_data() {
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QByteArray>("spoken");
        const QByteArray second("duas `x^2` linhas \xE7");
        QTest::newRow("start of the line") << 3 << "textEdit" << second;
        QTest::newRow("middle of the line") << 9 << "textEdit" << second;
        QTest::newRow("end of the line") << 21 << "textEdit" << second;
        QTest::newRow("focus in the file list") << 9 << "fileListBox" << second;
        QTest::newRow("empty line after the last break") << 28 << "textEdit" << QByteArray("linha vazia");
    }
    void f9SpeaksTheWholeLine() {
        QFETCH(int, caret);
        QFETCH(QString, focus);
        QFETCH(QByteArray, spoken);
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        mainWindow.textEdit->setPlainText(QString::fromUtf8("um\nduas `x^2` linhas \xC3\xA7\ntr\xC3\xAAs\n"));
        QTextCursor cursor = mainWindow.textEdit->textCursor();
        cursor.setPosition(caret);
        mainWindow.textEdit->setTextCursor(cursor);
        QWidget* target = mainWindow.findChild<QWidget*>(focus);
        QVERIFY(target);
        target->setFocus();
        speechtest::RecordingVoice voice;  // not connected to a server: the line is spoken as it stands
        QTest::keyClick(target, Qt::Key_F9);
        QCOMPARE(voice.texts.size(), size_t(1));
        QCOMPARE(QByteArray::fromStdString(voice.texts[0]), spoken);
    }

    void shiftF9SpeaksTheFormulaAtTheCaret_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("formula");  // empty: none
        const QString two = QStringLiteral("a `x+1` b `sqrt(2)/3` c");
        QTest::newRow("inside") << two << 4 << "x+1";
        QTest::newRow("just after the opening backquote") << two << 3 << "x+1";
        QTest::newRow("just before the closing backquote") << two << 6 << "x+1";
        QTest::newRow("before the first") << two << 0 << "x+1";
        QTest::newRow("between two") << two << 8 << "sqrt(2)/3";
        QTest::newRow("just after a closing backquote") << two << 7 << "sqrt(2)/3";
        QTest::newRow("after the last") << two << 23 << "sqrt(2)/3";
        QTest::newRow("after an accented word") << QStringLiteral("ação é `a^2` ou `b`") << 9 << "a^2";
        QTest::newRow("no formula") << QStringLiteral("só texto") << 2 << "";
        QTest::newRow("only an empty pair") << QStringLiteral("x `` y") << 3 << "";
        QTest::newRow("left open") << QStringLiteral("a `1/x") << 0 << "1/x";
    }
    void shiftF9SpeaksTheFormulaAtTheCaret() {
        QFETCH(QString, line);
        QFETCH(int, column);
        QFETCH(QString, formula);
        const std::string program = VELLOQ_OXSERVER;
        if (program.empty()) QSKIP("no oxserver in this build");
        speechtest::FormulaServer server(program);
        formulaspeech::SetServerPort(server.port());
        QVERIFY(formulaspeech::ConnectServer());
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        mainWindow.textEdit->setPlainText(QStringLiteral("antes `y`\n") + line + QStringLiteral("\ndepois `z`"));
        QTextCursor cursor = mainWindow.textEdit->textCursor();
        cursor.setPosition(mainWindow.textEdit->document()->findBlockByNumber(1).position() + column);
        mainWindow.textEdit->setTextCursor(cursor);
        speechtest::RecordingVoice voice;
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9, Qt::ShiftModifier);
        std::vector<std::string> expected{formula.isEmpty()
            ? std::string(speechcommands::kNoFormula)
            : speechtest::Reading(server.port(), codepage::Utf8ToCp1252(formula.toStdString()))};
        // a formula whose closing backquote is missing is said to be so
        if (line.count(QLatin1Char('`')) % 2 == 1) expected.push_back(formulaspeech::kOpenFormula);
        QTRY_COMPARE(voice.texts, expected);
        QCOMPARE(mainWindow.textEdit->textCursor().position(), cursor.position());
        formulaspeech::AdoptConnection(0);
        formulaspeech::SetServerPort(0);
    }

    // F9 against a server that takes the connection and never reads: the window goes on while
    // the reply is awaited, and after the time-out the user hears once that the server did not
    // reply, then the line as it stands. A second F9 gives the first one up; F8 and Esc give
    // it up with nothing said.
    void aSilentServerHoldsNothing_data() {
        QTest::addColumn<int>("then");  // the key pressed while the reply is awaited; 0: none
        QTest::addColumn<bool>("spoken");
        QTest::newRow("F9 alone") << 0 << true;
        QTest::newRow("a second F9") << int(Qt::Key_F9) << true;
        QTest::newRow("F8") << int(Qt::Key_F8) << false;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
    }
    void aSilentServerHoldsNothing() {
        QFETCH(int, then);
        QFETCH(bool, spoken);
        speechtest::TestServer silent([](int fd, int) {
            pollfd p{fd, POLLRDHUP, 0};
            poll(&p, 1, 20000);
        });
        socketclient::SetTimeout(std::chrono::milliseconds(1500));
        formulaspeech::SetServerPort(silent.port());
        QVERIFY(formulaspeech::ConnectServer());
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        const std::string line = "Seja `x^2` aqui.";
        mainWindow.textEdit->setPlainText(QString::fromStdString(line));
        speechtest::RecordingVoice voice;

        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9);
        // Back before any reply, and the window's loop turns while it is awaited.
        QVERIFY(speechcommands::Busy());
        QVERIFY(voice.texts.empty());
        bool turned = false;
        QTimer::singleShot(0, &mainWindow, [&turned] { turned = true; });
        QTRY_VERIFY(turned);
        QVERIFY(voice.texts.empty());
        if (then) QTest::keyClick(mainWindow.textEdit, Qt::Key(then));

        QTRY_VERIFY_WITH_TIMEOUT(!speechcommands::Busy(), 15000);
        const std::vector<std::string> said{speechcommands::kNoReply, line};
        QCOMPARE(voice.texts, spoken ? said : std::vector<std::string>{});
        formulaspeech::AdoptConnection(0);
        formulaspeech::SetServerPort(0);
        socketclient::SetTimeout(std::chrono::milliseconds(3000));
    }

    // F9 and Shift+F9 on a line with nothing to read say so.
    void anEmptyLineIsSaidToBeEmpty_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("F9, empty") << "" << int(Qt::NoModifier);
        QTest::newRow("F9, blanks") << "   " << int(Qt::NoModifier);
        QTest::newRow("Shift+F9, empty") << "" << int(Qt::ShiftModifier);
        QTest::newRow("Shift+F9, blanks") << "\t " << int(Qt::ShiftModifier);
    }
    void anEmptyLineIsSaidToBeEmpty() {
        QFETCH(QString, line);
        QFETCH(int, modifiers);
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        mainWindow.textEdit->setPlainText(QStringLiteral("um `x`\n") + line + QStringLiteral("\ntr\u00eas `y`"));
        QTextCursor cursor = mainWindow.textEdit->textCursor();
        cursor.setPosition(mainWindow.textEdit->document()->findBlockByNumber(1).position());
        mainWindow.textEdit->setTextCursor(cursor);
        speechtest::RecordingVoice voice;
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(voice.texts, std::vector<std::string>{"linha vazia"});
    }

    // A key that moves the caret, edits the text or opens a menu cuts the program's voice at
    // once; a modifier pressed alone does not.
    void keysCutTheVoice_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("cuts");
        QTest::newRow("Down") << int(Qt::Key_Down) << int(Qt::NoModifier) << true;
        QTest::newRow("Up") << int(Qt::Key_Up) << int(Qt::NoModifier) << true;
        QTest::newRow("Right") << int(Qt::Key_Right) << int(Qt::NoModifier) << true;
        QTest::newRow("Ctrl+End") << int(Qt::Key_End) << int(Qt::ControlModifier) << true;
        QTest::newRow("a letter") << int(Qt::Key_A) << int(Qt::NoModifier) << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << true;
        QTest::newRow("Alt, to the menu bar") << int(Qt::Key_Alt) << int(Qt::NoModifier) << true;
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::NoModifier) << false;
        QTest::newRow("Ctrl alone") << int(Qt::Key_Control) << int(Qt::NoModifier) << false;
    }
    void keysCutTheVoice() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, cuts);
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        mainWindow.textEdit->setPlainText(QStringLiteral("uma linha\noutra linha"));
        speechtest::RecordingVoice voice;
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9);
        QTest::keyPress(mainWindow.textEdit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(voice.cancelledAt, cuts ? std::vector<std::size_t>{1} : std::vector<std::size_t>{});
        QTest::keyRelease(mainWindow.textEdit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    }
    void aMenuThatOpensCutsTheVoice() {
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        mainWindow.textEdit->setPlainText(QStringLiteral("uma linha"));
        speechtest::RecordingVoice voice;
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9);
        auto* menu = mainWindow.findChild<QMenu*>(QStringLiteral("editMenu"));
        QVERIFY(menu);
        menu->popup(QPoint(0, 0));
        QCOMPARE(voice.cancelledAt, std::vector<std::size_t>{1});
        menu->hide();
    }

    // F8 cancels what the program handed to the voice, and speaks nothing of its own.
    void f8SilencesTheProgramsSpeech() {
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        mainWindow.textEdit->setPlainText(QStringLiteral("uma linha"));
        speechtest::RecordingVoice voice;
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9);
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9);
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F8);
        QCOMPARE(voice.cancelledAt, std::vector<std::size_t>{2});
        QCOMPARE(voice.texts.size(), std::size_t(2));
    }
};

QTEST_MAIN(SpeechKeysTest)
#include "speechkeys_test.moc"
