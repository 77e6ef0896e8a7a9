// The caret indicator runs on every key: on a 100,000-line document its cost must not depend
// on the caret's line. Caret/<line> runs UpdateLineColumnLabel with the caret on that line;
// compare the last line's time with the first's. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "editor/text/editoperations.h"

namespace {

constexpr int kLines = 100000;

QPlainTextEdit& editor() {
    static QPlainTextEdit* textEdit = [] {
        auto* m = new QPlainTextEdit;
        QString text;
        for (int i = 0; i < kLines; ++i) text += QStringLiteral("linha %1 com `x^2 + %1` e texto\n").arg(i);
        m->setPlainText(text);
        return m;
    }();
    return *textEdit;
}

void Caret(benchmark::State& state) {
    QPlainTextEdit& textEdit = editor();
    QLabel label;
    QTextCursor cursor = textEdit.textCursor();
    cursor.setPosition(textEdit.document()->findBlockByNumber(static_cast<int>(state.range(0))).position() + 5);
    textEdit.setTextCursor(cursor);
    for (auto _ : state) UpdateLineColumnLabel(&textEdit, &label);
}
BENCHMARK(Caret)->Arg(0)->Arg(kLines / 2)->Arg(kLines - 1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
