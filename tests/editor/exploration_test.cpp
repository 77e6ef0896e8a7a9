// "Explorar fórmula": walks over a fraction with a root in its numerator and over a formula
// left open, each move's spoken text, the window's text and the piece shown in the editor;
// Enter selects the piece, Esc leaves the caret where it was.
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include "editor/speaking/explorationwindow.h"
#include "editor/window/mainwindow.h"
#include "modalanswer.h"
#include "postedevents.h"
#include "platform/codepage.h"
#include "speech/speechcommands.h"
#include "tests/speech/recording_voice.h"

namespace {

struct Step {
    Qt::Key key;           // Qt::Key_unknown: the window just opened
    const char* spoken;    // UTF-8
    const char* selected;  // UTF-8: the source shown in the editor after the move
};

using Walk = std::vector<Step>;

}  // namespace

Q_DECLARE_METATYPE(Walk)

class ExplorarTest : public QObject {
    Q_OBJECT

private slots:
    void walk_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<Walk>("walk");
        QTest::addColumn<Qt::Key>("close");
        const char* whole = "fração, numerador raiz quadrada de alfa, mais 1, denominador 2 a, fim da fração";
        const char* numerator = "numerador: raiz quadrada de alfa, mais 1";
        QTest::newRow("a fraction, closed with Enter")
            << QStringLiteral("Ação: `(sqrt(α)+1)/(2a)` fim") << 0
            << Walk{{Qt::Key_unknown, whole, "(sqrt(α)+1)/(2a)"},
                    {Qt::Key_Down, numerator, "(sqrt(α)+1)"},
                    {Qt::Key_Right, "denominador: 2 a", "(2a)"},
                    {Qt::Key_Right, "fim", "(2a)"},
                    {Qt::Key_Left, numerator, "(sqrt(α)+1)"},
                    {Qt::Key_Down, "raiz quadrada de alfa", "sqrt(α)"},
                    {Qt::Key_Down, "radicando: alfa", "α"},
                    {Qt::Key_Down, "fim", "α"},
                    {Qt::Key_Up, "raiz quadrada de alfa", "sqrt(α)"},
                    {Qt::Key_End, "1", "1"},
                    {Qt::Key_Home, "raiz quadrada de alfa", "sqrt(α)"},
                    {Qt::Key_Left, "início", "sqrt(α)"},
                    {Qt::Key_Space, "raiz quadrada de alfa", "sqrt(α)"},
                    {Qt::Key_Up, numerator, "(sqrt(α)+1)"},
                    {Qt::Key_Up, whole, "(sqrt(α)+1)/(2a)"},
                    {Qt::Key_Up, "início", "(sqrt(α)+1)/(2a)"},
                    {Qt::Key_Down, numerator, "(sqrt(α)+1)"}}
            << Qt::Key_Return;
        // A character outside the basic plane before and in the formula, which runs to the
        // line's end: the selection still falls on the piece's own characters.
        QTest::newRow("a formula left open, closed with Esc")
            << QStringLiteral("𝑥 `𝑥^2 + ((b/") << 2
            << Walk{{Qt::Key_unknown, "𝑥 ao quadrado mais abre parêntese abre parêntese b dividido por", "𝑥^2 + ((b/"},
                    {Qt::Key_Down, "𝑥 ao quadrado", "𝑥^2"},
                    {Qt::Key_Down, "base: 𝑥", "𝑥"},
                    {Qt::Key_Right, "expoente: 2", "2"},
                    {Qt::Key_Up, "𝑥 ao quadrado", "𝑥^2"},
                    {Qt::Key_End, "abre parêntese abre parêntese b dividido por", "((b/"}}
            << Qt::Key_Escape;
    }
    void walk() {
        QFETCH(QString, line);
        QFETCH(int, column);
        QFETCH(Walk, walk);
        QFETCH(Qt::Key, close);
        MainWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const QString text = QStringLiteral("antes `y`\n") + line;
        form.textEdit->setPlainText(text);
        QTextCursor cursor = form.textEdit->textCursor();
        cursor.setPosition(form.textEdit->document()->findBlockByNumber(1).position() + column);
        form.textEdit->setTextCursor(cursor);
        speechtest::RecordingVoice voice;
        ModalAnswer answer([&](QWidget* w) {
            auto* d = qobject_cast<ExplorationWindow*>(w);
            QVERIFY(d);
            for (const Step& step : walk) {
                if (step.key != Qt::Key_unknown) QTest::keyClick(d, step.key);
                const QString spoken = QString::fromUtf8(step.spoken);
                QCOMPARE(d->st_fala->text(), spoken);
                QCOMPARE(d->st_fala->accessibleName(), spoken);
                QVERIFY(!voice.texts.empty());
                QCOMPARE(voice.texts.back(), codepage::Utf8ToCp1252(step.spoken));
                // Each move silences the one before, so a walk never waits for a long reading.
                QCOMPARE(voice.cancelledAt.size(), voice.texts.size());
                // Shown as a selection, while the caret stays put (the screen reader would
                // otherwise say every step's source over its reading).
                const auto shown = form.textEdit->extraSelections();
                QCOMPARE(shown.size(), 1);
                QCOMPARE(shown.back().cursor.selectedText(), QString::fromUtf8(step.selected));
                QCOMPARE(form.textEdit->textCursor().position(), cursor.position());
                QVERIFY(!form.textEdit->textCursor().hasSelection());
            }
            QTest::keyClick(d, close);
        });
        QTest::keyClick(form.textEdit, Qt::Key_F9, Qt::ControlModifier);
        QVERIFY(answer.answered());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(form.textEdit->toPlainText(), text);
        QVERIFY(form.textEdit->extraSelections().isEmpty());
        if (close == Qt::Key_Return) {
            QCOMPARE(form.textEdit->textCursor().selectedText(), QString::fromUtf8(walk.back().selected));
        } else {
            QCOMPARE(form.textEdit->textCursor().position(), cursor.position());
            QVERIFY(!form.textEdit->textCursor().hasSelection());
        }
    }

    // With no formula in the caret's line there is nothing to walk: no window, a word said.
    void aLineWithoutFormulaOpensNoWindow() {
        MainWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.textEdit->setPlainText(QStringLiteral("só texto\n`x`"));
        speechtest::RecordingVoice voice;
        ModalAnswer none([](QWidget*) {}, 300);
        QTest::keyClick(form.textEdit, Qt::Key_F9, Qt::ControlModifier);
        QTRY_COMPARE(voice.texts, std::vector<std::string>{speechcommands::kNoFormula});
        QVERIFY(processPostedEvents());
        QVERIFY(!none.answered());
        QCOMPARE(voice.texts, std::vector<std::string>{speechcommands::kNoFormula});
    }
};

QTEST_MAIN(ExplorarTest)
#include "exploration_test.moc"
