// Up, Down, Home and End over a line that the screen wraps: by document lines while a screen
// reader runs (or the user chose so), by screen rows otherwise; the choice kept in velloq.ini.
#include <QAction>
#include <QDir>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include "editor/text/linemoves.h"
#include "editor/text/screenreader.h"
#include "editor/mainwindow/mainwindow.h"
#include "platform/profile.h"

namespace {

// Line 1 wraps into several rows at the editor's width.
const QString kText = QStringLiteral("curta\n") + QStringLiteral("palavra comprida ").repeated(30) +
                      QStringLiteral("\nfim\n") + QStringLiteral("outra longa ").repeated(30);

}  // namespace

class LineMovesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        QVERIFY(QDir::setCurrent(folder_.path()));
    }
    void cleanup() {
        screenreader::Force(std::nullopt);
        QFile::remove(folder_.filePath(QStringLiteral("velloq.ini")));
    }

    void keys_data() {
        QTest::addColumn<bool>("screenReader");
        QTest::addColumn<QString>("choice");  // SETASLINHAS in velloq.ini; empty: none
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("line");        // where the caret starts
        QTest::addColumn<int>("row");         // the screen row of that line it starts in
        QTest::addColumn<int>("column");      // column within that row
        QTest::addColumn<int>("toLine");      // where it ends up; -1: the same line, another row
        QTest::addColumn<int>("toColumn");    // -1: the end of the line
        // by lines
        QTest::newRow("reader: Down from a wrapped line") << true << "" << int(Qt::Key_Down) << 1 << 0 << 10 << 2 << 3;
        QTest::newRow("reader: Down from its last row") << true << "" << int(Qt::Key_Down) << 1 << 2 << 1 << 2 << 3;
        QTest::newRow("reader: Down into a wrapped line") << true << "" << int(Qt::Key_Down) << 0 << 0 << 2 << 1 << 2;
        QTest::newRow("reader: Up from its second row") << true << "" << int(Qt::Key_Up) << 1 << 1 << 4 << 0 << -1;
        QTest::newRow("reader: Up from the line after") << true << "" << int(Qt::Key_Up) << 2 << 0 << 1 << 1 << 1;
        QTest::newRow("reader: Home from the second row") << true << "" << int(Qt::Key_Home) << 1 << 1 << 4 << 1 << 0;
        QTest::newRow("reader: End from the first row") << true << "" << int(Qt::Key_End) << 1 << 0 << 4 << 1 << -1;
        QTest::newRow("reader: Down at the last line") << true << "" << int(Qt::Key_Down) << 3 << 0 << 4 << 3 << -1;
        QTest::newRow("no reader, chosen: Down") << false << "1" << int(Qt::Key_Down) << 1 << 0 << 10 << 2 << 3;
        QTest::newRow("no reader, chosen: End") << false << "1" << int(Qt::Key_End) << 1 << 0 << 4 << 1 << -1;
        // by screen rows
        QTest::newRow("no reader: Down") << false << "" << int(Qt::Key_Down) << 1 << 0 << 10 << -1 << 10;
        QTest::newRow("no reader: Up") << false << "" << int(Qt::Key_Up) << 1 << 1 << 4 << -1 << 4;
        QTest::newRow("no reader: Home") << false << "" << int(Qt::Key_Home) << 1 << 1 << 4 << -1 << 0;
        QTest::newRow("no reader: End") << false << "" << int(Qt::Key_End) << 1 << 1 << 4 << -1 << -1;
        QTest::newRow("reader, rows chosen: Down") << true << "0" << int(Qt::Key_Down) << 1 << 0 << 10 << -1 << 10;
        QTest::newRow("reader, rows chosen: Home") << true << "0" << int(Qt::Key_Home) << 1 << 1 << 4 << -1 << 0;
    }
    void keys() {
        QFETCH(bool, screenReader);
        QFETCH(QString, choice);
        QFETCH(int, key);
        QFETCH(int, line);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, toLine);
        QFETCH(int, toColumn);
        if (!choice.isEmpty())
            QVERIFY(profile::WriteString("velloq.ini", "VELLOQ", linemoves::kKey, choice.toStdString()));
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        screenreader::Force(screenReader);
        QPlainTextEdit* edit = mainWindow.textEdit;
        edit->setPlainText(kText);
        const QTextBlock start = edit->document()->findBlockByNumber(line);
        QVERIFY(start.layout()->lineCount() >= 1);
        const QTextLine startRow = start.layout()->lineAt(row);
        QVERIFY(startRow.isValid());
        QTextCursor cursor(edit->document());
        cursor.setPosition(start.position() + startRow.textStart() + column);
        edit->setTextCursor(cursor);

        QTest::keyClick(edit, Qt::Key(key));

        const QTextCursor after = edit->textCursor();
        if (toLine >= 0) {
            QCOMPARE(after.blockNumber(), toLine);
            QCOMPARE(after.positionInBlock(), toColumn >= 0 ? toColumn : after.block().length() - 1);
            return;
        }
        // Screen rows: the caret stays in the document line, in another row or at the row's edge.
        QCOMPARE(after.blockNumber(), line);
        const QTextLine endRow = start.layout()->lineForTextPosition(after.positionInBlock());
        if (key == Qt::Key_Home || key == Qt::Key_End) {
            QCOMPARE(endRow.lineNumber(), row);
            QCOMPARE(after.positionInBlock(), key == Qt::Key_Home ? startRow.textStart() : startRow.textStart() + startRow.textLength() - 1);
        } else {
            QCOMPARE(endRow.lineNumber(), row + (key == Qt::Key_Down ? 1 : -1));
        }
    }

    // With no choice made, the way follows the screen reader at the next key; the entry shows
    // which way is in effect, and choosing keeps the choice in velloq.ini.
    void followsTheScreenReaderUntilChosen() {
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        QAction* entry = mainWindow.action(QStringLiteral("linesAsUnits"));
        QVERIFY(entry && entry->isCheckable());
        mainWindow.textEdit->setPlainText(kText);
        for (const bool running : {false, true, false}) {
            screenreader::Force(running);
            QTextCursor c(mainWindow.textEdit->document());
            c.setPosition(mainWindow.textEdit->document()->findBlockByNumber(1).position());
            mainWindow.textEdit->setTextCursor(c);
            QTest::keyClick(mainWindow.textEdit, Qt::Key_Down);
            QCOMPARE(mainWindow.textEdit->textCursor().blockNumber(), running ? 2 : 1);
            QCOMPARE(entry->isChecked(), running);
        }
        entry->trigger();  // on, while no screen reader runs
        QCOMPARE(profile::ReadString(mainWindow.runState().programSettingsFile, "VELLOQ", linemoves::kKey, ""), std::string("1"));
        QVERIFY(linemoves::ByLines(mainWindow.textEdit));
        screenreader::Force(true);
        entry->trigger();  // off, while one runs
        QCOMPARE(profile::ReadString(mainWindow.runState().programSettingsFile, "VELLOQ", linemoves::kKey, ""), std::string("0"));
        QVERIFY(!linemoves::ByLines(mainWindow.textEdit));
    }

private:
    QTemporaryDir folder_;
};

QTEST_MAIN(LineMovesTest)
#include "linemoves_test.moc"
