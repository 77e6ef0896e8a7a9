// "Explorar fórmula": walks over a fraction with a root in its numerator and over a formula
// left open, each move's spoken text, the window's text and the piece shown in the editor;
// Enter selects the piece, Esc leaves the caret where it was.
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include "editor/speaking/explorationwindow.h"
#include "editor/text/screenreader.h"
#include "editor/mainwindow/mainwindow.h"
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
        QTest::addColumn<bool>("screenReader");
        const char* whole = "fração, numerador raiz quadrada de alfa, mais 1, denominador 2 á, fim da fração";
        const char* numerator = "numerador: raiz quadrada de alfa, mais 1";
        const char* root = "termo 1 de 2: raiz quadrada de alfa";
        const Walk fraction{{Qt::Key_unknown, whole, "(sqrt(α)+1)/(2a)"},
                            {Qt::Key_Down, numerator, "(sqrt(α)+1)"},
                            {Qt::Key_Right, "denominador: 2 á", "(2a)"},
                            {Qt::Key_Right, "fim", "(2a)"},
                            {Qt::Key_Left, numerator, "(sqrt(α)+1)"},
                            {Qt::Key_Down, root, "sqrt(α)"},
                            {Qt::Key_Down, "radicando: alfa", "α"},
                            {Qt::Key_Down, "fim", "α"},
                            {Qt::Key_Up, root, "sqrt(α)"},
                            {Qt::Key_End, "termo 2 de 2: mais 1", "+1"},
                            {Qt::Key_Home, root, "sqrt(α)"},
                            {Qt::Key_Left, "início", "sqrt(α)"},
                            {Qt::Key_Space, root, "sqrt(α)"},
                            {Qt::Key_Space, root, "sqrt(α)"},
                            {Qt::Key_Up, numerator, "(sqrt(α)+1)"},
                            {Qt::Key_Up, whole, "(sqrt(α)+1)/(2a)"},
                            {Qt::Key_Up, "início da fórmula", "(sqrt(α)+1)/(2a)"},
                            {Qt::Key_Down, numerator, "(sqrt(α)+1)"},
                            {Qt::Key_Return, "selecionado: raiz quadrada de alfa, mais 1", "(sqrt(α)+1)"}};
        // A character outside the basic plane before and in the formula, which runs to the
        // line's end with two brackets and a fraction left open: the slips are heard where
        // they stand, and the selection still falls on the piece's own characters.
        static const std::string open =
            "abre parêntese sem fechamento, abre parêntese sem fechamento, b dividido por, denominador vazio";
        static const std::string opening = "𝑥 ao quadrado mais " + open + ", fórmula sem crase de fechamento";
        static const std::string second = "termo 2 de 2: mais " + open;
        static const std::string inner = "termo: " + open;
        const Walk leftOpen{{Qt::Key_unknown, opening.c_str(), "𝑥^2 + ((b/"},
                            {Qt::Key_Down, "termo 1 de 2: 𝑥 ao quadrado", "𝑥^2"},
                            {Qt::Key_Down, "base: 𝑥", "𝑥"},
                            {Qt::Key_Right, "expoente: 2", "2"},
                            {Qt::Key_Up, "termo 1 de 2: 𝑥 ao quadrado", "𝑥^2"},
                            {Qt::Key_End, "erro de digitação: fórmula sem crase de fechamento", ""},
                            {Qt::Key_Left, second.c_str(), "+ ((b/"},
                            {Qt::Key_Down, "sinal: mais", "+"},
                            {Qt::Key_Right, inner.c_str(), "((b/"},
                            {Qt::Key_Space, inner.c_str(), "((b/"}};
        for (const bool reader : {false, true}) {
            const char* who = reader ? ", heard through the screen reader" : ", heard in the program's voice";
            QTest::newRow((std::string("a fraction, closed with Enter") + who).c_str())
                << QStringLiteral("Ação: `(sqrt(α)+1)/(2a)` fim") << 0 << fraction << Qt::Key_Return << reader;
            QTest::newRow((std::string("a formula left open, closed with Esc") + who).c_str())
                << QStringLiteral("𝑥 `𝑥^2 + ((b/") << 2 << leftOpen << Qt::Key_Escape << reader;
        }
    }
    void walk() {
        QFETCH(QString, line);
        QFETCH(int, column);
        QFETCH(Walk, walk);
        QFETCH(Qt::Key, close);
        QFETCH(bool, screenReader);
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        const QString text = QStringLiteral("antes `y`\n") + line;
        mainWindow.textEdit->setPlainText(text);
        QTextCursor cursor = mainWindow.textEdit->textCursor();
        cursor.setPosition(mainWindow.textEdit->document()->findBlockByNumber(1).position() + column);
        mainWindow.textEdit->setTextCursor(cursor);
        speechtest::RecordingVoice voice;
        screenreader::Force(screenReader);
        ModalAnswer answer([&](QWidget* w) {
            auto* d = qobject_cast<ExplorationWindow*>(w);
            QVERIFY(d);
            QStringList announced;  // what the screen reader was told
            connect(d, &ExplorationWindow::announced, d, [&](const QString& t) { announced.push_back(t); });
            for (const Step& step : walk) {
                // the opening is said as the window shows, before this runs
                const std::size_t spokenBefore = step.key == Qt::Key_unknown ? 0 : voice.texts.size();
                const qsizetype announcedBefore = announced.size();
                if (step.key != Qt::Key_unknown) QTest::keyClick(d, step.key);
                const QString spoken = QString::fromUtf8(step.spoken);
                QCOMPARE(d->spokenText->text(), spoken);
                QCOMPARE(d->spokenText->accessibleName(), spoken);
                // Heard once, from one voice: the program's, or the screen reader's, which
                // reads the opening text as the window's focus and announces every change.
                std::vector<std::string> heard(voice.texts.begin() + static_cast<std::ptrdiff_t>(spokenBefore), voice.texts.end());
                const QStringList told = announced.mid(announcedBefore);
                std::vector<std::string> expected{codepage::Utf8ToCp1252(step.spoken)};
                if (step.key == Qt::Key_unknown) expected.insert(expected.begin(), codepage::Utf8ToCp1252(ExplorationWindow::kTitle));
                if (screenReader) {
                    QVERIFY(heard.empty());
                    // Enter's words wait for the editor to have the focus back (see below)
                    const bool later = step.key == Qt::Key_unknown || step.key == Qt::Key_Return;
                    QCOMPARE(told, later ? QStringList{} : QStringList{spoken});
                } else {
                    QCOMPARE(heard, expected);
                    // Each move silences the one before, so a walk never waits for a long reading.
                    QVERIFY(!voice.cancelledAt.empty() && voice.cancelledAt.back() == spokenBefore);
                }
                if (step.key == Qt::Key_Return) break;
                // the text said has the focus: what a screen reader says and a braille display shows
                QTRY_VERIFY(d->spokenText->hasFocus());  // once the window is the active one
                QAccessibleInterface* text = QAccessible::queryAccessibleInterface(d->spokenText);
                QVERIFY(text && text->state().focused);
                QCOMPARE(text->text(QAccessible::Name), spoken);
                // Shown as a selection, while the caret stays put (the screen reader would
                // otherwise say every step's source over its reading).
                const auto shown = mainWindow.textEdit->extraSelections();
                QCOMPARE(shown.size(), 1);
                QCOMPARE(shown.back().cursor.selectedText(), QString::fromUtf8(step.selected));
                QCOMPARE(mainWindow.textEdit->textCursor().position(), cursor.position());
                QVERIFY(!mainWindow.textEdit->textCursor().hasSelection());
            }
            if (walk.back().key != Qt::Key_Return) QTest::keyClick(d, close);
        });
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9, Qt::ControlModifier);
        screenreader::Force(std::nullopt);
        QVERIFY(answer.answered());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(mainWindow.textEdit->toPlainText(), text);
        QVERIFY(mainWindow.textEdit->extraSelections().isEmpty());
        if (close == Qt::Key_Return) {
            QCOMPARE(mainWindow.textEdit->textCursor().selectedText(), QString::fromUtf8(walk.back().selected));
            if (screenReader) {
                // announced on the main window's notice line, once the editor has the focus back
                auto* notice = mainWindow.findChild<QLabel*>(QStringLiteral("noticeLine"));
                QTRY_COMPARE(notice->text(), QString::fromUtf8(walk.back().spoken));
            }
            // "Fórmula no cursor" then reads the piece selected, not its whole formula.
            const std::size_t before = voice.texts.size();
            mainWindow.action(QStringLiteral("speakFormula"))->trigger();
            QCOMPARE(voice.texts.size(), before + 1);
            QCOMPARE(voice.texts.back(), codepage::Utf8ToCp1252("raiz quadrada de alfa, mais 1"));
        } else {
            QCOMPARE(mainWindow.textEdit->textCursor().position(), cursor.position());
            QVERIFY(!mainWindow.textEdit->textCursor().hasSelection());
        }
    }

    // F9 and Shift+F9 inside the window: the caret's line and the whole formula, read where
    // the window is, through the voice in effect; an empty line is said to be empty.
    void speechKeysInTheWindow_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("F9") << "Seja `x^2` e `y`" << int(Qt::NoModifier) << "Seja x ao quadrado e y";
        QTest::newRow("Shift+F9") << "Seja `x^2` e `y`" << int(Qt::ShiftModifier) << "x ao quadrado";
        QTest::newRow("F9, formula left open") << "Seja `(x" << int(Qt::NoModifier)
                                               << "Seja abre parêntese sem fechamento, x, fórmula sem crase de fechamento";
    }
    void speechKeysInTheWindow() {
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(QString, spoken);
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        mainWindow.textEdit->setPlainText(text);
        speechtest::RecordingVoice voice;
        ModalAnswer answer([&](QWidget* w) {
            auto* d = qobject_cast<ExplorationWindow*>(w);
            QVERIFY(d);
            QTest::keyClick(d, Qt::Key_F9, Qt::KeyboardModifiers(modifiers));
            QCOMPARE(d->spoken(), spoken);
            QVERIFY(!voice.texts.empty());
            QCOMPARE(voice.texts.back(), codepage::Utf8ToCp1252(spoken.toStdString()));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9, Qt::ControlModifier);
        QVERIFY(answer.answered());
    }

    // With no formula in the caret's line there is nothing to walk: no window, a word said.
    void aLineWithoutFormulaOpensNoWindow() {
        MainWindow mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        mainWindow.textEdit->setPlainText(QStringLiteral("só texto\n`x`"));
        speechtest::RecordingVoice voice;
        ModalAnswer none([](QWidget*) {}, 300);
        QTest::keyClick(mainWindow.textEdit, Qt::Key_F9, Qt::ControlModifier);
        QTRY_COMPARE(voice.texts, std::vector<std::string>{speechcommands::kNoFormula});
        QVERIFY(processPostedEvents());
        QVERIFY(!none.answered());
        QCOMPARE(voice.texts, std::vector<std::string>{speechcommands::kNoFormula});
    }
};

QTEST_MAIN(ExplorarTest)
#include "exploration_test.moc"
