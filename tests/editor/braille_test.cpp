// Formulas in braille in the editor: "Linha em braille" shows the caret's line with each formula
// in the mathematics code, and the exploration's focused text holds the current piece's cells,
// which a screen reader shows on a braille display while it speaks the piece's words.
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include "editor/mainwindow/mainwindow.h"
#include "editor/speaking/braillelinedialog.h"
#include "editor/speaking/piecebraille.h"
#include "editor/speaking/explorationwindow.h"
#include "modalanswer.h"
#include "postedevents.h"
#include "tests/speech/recording_voice.h"

class BrailleTest : public QObject {
    Q_OBJECT

private slots:
    void lineInBraille_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("text and two formulas") << "Seja `x^2` e `a+b`" << "Seja ⠭⠡⠼⠃ e ⠁⠖⠃";
        QTest::newRow("no formula") << "só texto" << "só texto";
        // a short fraction that text follows at once takes the general form
        QTest::newRow("a fraction before a comma") << "Metade: `1/2` e `1/2`, não mais" << "Metade: ⠼⠁⠆ e ⠼⠁⠲⠼⠃, não mais";
        QTest::newRow("a matrix, row by row") << "Matriz `[[1,2],[3,4]]`" << "Matriz ⠷⠼⠁⠀⠼⠃\n⠼⠉⠀⠼⠙⠾";
        QTest::newRow("a formula left open") << "veja `x+1" << "veja ⠭⠖⠼⠁, fórmula sem crase de fechamento";
        QTest::newRow("a sign without cells") << "conjunto `x&y` e `x&z`"
                                              << "conjunto ⠭⠿⠿⠯⠿⠿⠽ e ⠭⠿⠿⠯⠿⠿⠵\nSinais sem braille no código: &";
    }
    void lineInBraille() {
        QFETCH(QString, line);
        QFETCH(QString, shown);
        BrailleLineDialog dialog(line);
        QCOMPARE(dialog.cells->toPlainText(), shown);
        QVERIFY(dialog.cells->isReadOnly());
    }

    // The command shows the caret's line and gives the focus back to the text on Esc; on an
    // empty line it opens nothing and says so.
    void commandShowsTheCaretLine_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("shown");  // empty: no window
        QTest::newRow("the caret's line") << 1 << "Seja ⠭⠡⠼⠃";
        QTest::newRow("an empty line") << 2 << "";
    }
    void commandShowsTheCaretLine() {
        QFETCH(int, line);
        QFETCH(QString, shown);
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        const QString text = QStringLiteral("antes `y`\nSeja `x^2`\n  \ndepois");
        mainWindow.textEdit->setPlainText(text);
        QTextCursor cursor(mainWindow.textEdit->document()->findBlockByNumber(line));
        mainWindow.textEdit->setTextCursor(cursor);
        mainWindow.textEdit->setFocus();
        speechtest::RecordingVoice voice;
        QString seen;
        ModalAnswer answer(
            [&](QWidget* w) {
                auto* d = qobject_cast<BrailleLineDialog*>(w);
                QVERIFY(d);
                QTRY_VERIFY(d->cells->hasFocus());
                seen = d->cells->toPlainText();
                QTest::keyClick(d->cells, Qt::Key_Escape);
            },
            shown.isEmpty() ? 300 : 5000);
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(processPostedEvents());
        QCOMPARE(answer.answered(), !shown.isEmpty());
        QCOMPARE(seen, shown);
        QVERIFY(!QApplication::activeModalWidget());
        QTRY_VERIFY(mainWindow.textEdit->hasFocus());
        QCOMPARE(mainWindow.textEdit->toPlainText(), text);
        if (shown.isEmpty()) QCOMPARE(voice.texts, std::vector<std::string>{"linha vazia"});
    }

    // Each move: the focused text is named by the words spoken and holds the piece's cells as
    // its text; at an edge it holds the words. The line under it shows the current piece.
    void explorationShowsThePiece_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        const QString whole = "⠠⠄⠫⠈⠁⠖⠼⠁⠠⠄⠲⠠⠄⠼⠃⠐⠁⠠⠄";
        const QString denominator = "⠣⠼⠃⠐⠁⠜";
        QTest::newRow("opening") << QList<int>{} << "fração, numerador raiz quadrada de alfa, mais 1, denominador 2 á, fim da fração"
                                 << whole << whole;
        QTest::newRow("numerator") << QList<int>{Qt::Key_Down} << "numerador: raiz quadrada de alfa, mais 1"
                                   << "⠣⠫⠈⠁⠖⠼⠁⠜" << "⠣⠫⠈⠁⠖⠼⠁⠜";
        QTest::newRow("denominator") << QList<int>{Qt::Key_Down, Qt::Key_Right} << "denominador: 2 á" << denominator
                                     << denominator;
        QTest::newRow("past the end") << QList<int>{Qt::Key_Down, Qt::Key_Right, Qt::Key_Right} << "fim" << "fim"
                                      << denominator;
    }
    void explorationShowsThePiece() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, line);
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        mainWindow.textEdit->setPlainText(QStringLiteral("Ação: `(sqrt(α)+1)/(2a)` fim"));
        speechtest::RecordingVoice voice;
        ModalAnswer answer([&](QWidget* w) {
            auto* d = qobject_cast<ExplorationWindow*>(w);
            QVERIFY(d);
            for (const int key : keys) QTest::keyClick(d, Qt::Key(key));
            QTRY_VERIFY(d->spokenText->hasFocus());
            QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(d->spokenText);
            QVERIFY(focused && focused->textInterface());
            QCOMPARE(focused->text(QAccessible::Name), name);
            QCOMPARE(focused->textInterface()->text(0, focused->textInterface()->characterCount()), text);
            auto* shown = d->findChild<QLineEdit*>(QStringLiteral("pieceBraille"));
            QVERIFY(shown && shown->isReadOnly());
            QCOMPARE(shown->text(), line);
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9, Qt::ControlModifier);
        QVERIFY(answer.answered());
    }
};

QTEST_MAIN(BrailleTest)
#include "braille_test.moc"
