// F9 speaks the caret's whole line from wherever the focus is in the main window.
#include <QAction>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include "editor/velloqPrinc.h"
#include "tests/speech/recording_voice.h"

class SpeechKeysTest : public QObject {
    Q_OBJECT

private slots:
    void f9SpeaksTheWholeLine_data() {
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QByteArray>("spoken");
        const QByteArray second("duas `x^2` linhas \xE7");
        QTest::newRow("start of the line") << 3 << "Memo1" << second;
        QTest::newRow("middle of the line") << 9 << "Memo1" << second;
        QTest::newRow("end of the line") << 21 << "Memo1" << second;
        QTest::newRow("focus in the file list") << 9 << "lb_arquivos" << second;
        QTest::newRow("empty line after the last break") << 28 << "Memo1" << QByteArray();
    }
    void f9SpeaksTheWholeLine() {
        QFETCH(int, caret);
        QFETCH(QString, focus);
        QFETCH(QByteArray, spoken);
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Memo1->setPlainText(QString::fromUtf8("um\nduas `x^2` linhas \xC3\xA7\ntr\xC3\xAAs\n"));
        QTextCursor cursor = form.Memo1->textCursor();
        cursor.setPosition(caret);
        form.Memo1->setTextCursor(cursor);
        QWidget* target = form.findChild<QWidget*>(focus);
        QVERIFY(target);
        target->setFocus();
        speechtest::RecordingVoice voice;  // not connected to a server: the line is spoken as it stands
        QTest::keyClick(target, Qt::Key_F9);
        QCOMPARE(voice.texts.size(), size_t(1));
        QCOMPARE(QByteArray::fromStdString(voice.texts[0]), spoken);
    }
};

QTEST_MAIN(SpeechKeysTest)
#include "speechkeys_test.moc"
