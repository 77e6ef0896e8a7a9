// A screen reader is told the editor's text by document lines, while the screen wraps them.
#include <QAccessible>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "editor/mainwindow/mainwindow.h"

namespace {

const QString kLong = QStringLiteral(
    "Uma linha comprida com a fórmula `(sqrt(x)+1)/(2a)` no meio, que a tela quebra em várias fileiras "
    "porque o editor é estreito, mas que o leitor de tela deve ler inteira de uma vez.");
const QString kText = QStringLiteral("curta\n") + kLong + QStringLiteral("\n\núltima `x^2`");

}  // namespace

class TextAccessibleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        form_.show();
        QVERIFY(QTest::qWaitForWindowActive(&form_));
        form_.splitter->setSizes({220, 700});
        form_.textEdit->setPlainText(kText);
        QTRY_VERIFY(form_.textEdit->document()->findBlockByNumber(1).layout()->lineCount() > 2);
        text_ = QAccessible::queryAccessibleInterface(form_.textEdit)->textInterface();
        QVERIFY(text_);
    }

    void linesAreTheDocumentsLines_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("boundary");  // -1 before, 0 at, 1 after
        QTest::addColumn<QString>("line");
        const int second = 6;
        const int third = second + int(kLong.size()) + 1;
        QTest::newRow("first line") << 2 << 0 << "curta\n";
        QTest::newRow("start of a wrapped line") << second << 0 << kLong + "\n";
        QTest::newRow("in a later screen row") << second + 150 << 0 << kLong + "\n";
        QTest::newRow("end of a wrapped line") << third - 1 << 0 << kLong + "\n";
        QTest::newRow("empty line") << third << 0 << "\n";
        QTest::newRow("last line, no break after it") << third + 3 << 0 << "última `x^2`";
        QTest::newRow("after a wrapped line") << second + 150 << 1 << "\n";
        QTest::newRow("before the empty line") << third << -1 << kLong + "\n";
        QTest::newRow("after the first") << 0 << 1 << kLong + "\n";
    }
    void linesAreTheDocumentsLines() {
        QFETCH(int, offset);
        QFETCH(int, boundary);
        QFETCH(QString, line);
        int start = -1, end = -1;
        const QString got = boundary < 0 ? text_->textBeforeOffset(offset, QAccessible::LineBoundary, &start, &end)
                            : boundary > 0 ? text_->textAfterOffset(offset, QAccessible::LineBoundary, &start, &end)
                                           : text_->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(got, line);
        QCOMPARE(kText.mid(start, end - start), line);
    }

    // The rest of the account is the editor's: caret, selection, characters, editing.
    void caretSelectionAndEditing() {
        QCOMPARE(text_->characterCount(), int(kText.size()));
        QCOMPARE(text_->text(0, 5), QStringLiteral("curta"));
        text_->setCursorPosition(8);
        QCOMPARE(form_.textEdit->textCursor().position(), 8);
        QCOMPARE(text_->cursorPosition(), 8);
        text_->setSelection(0, 0, 5);
        QCOMPARE(form_.textEdit->textCursor().selectedText(), QStringLiteral("curta"));
        int start = -1, end = -1;
        text_->selection(0, &start, &end);
        QCOMPARE(start, 0);
        QCOMPARE(end, 5);
        QCOMPARE(text_->selectionCount(), 1);
        text_->removeSelection(0);
        QCOMPARE(text_->selectionCount(), 0);
        QVERIFY(text_->characterRect(1).width() > 0);
        QCOMPARE(text_->offsetAtPoint(text_->characterRect(1).center()), 1);
        auto* editable = QAccessible::queryAccessibleInterface(form_.textEdit)->editableTextInterface();
        QVERIFY(editable);
        editable->insertText(0, QStringLiteral("bem "));
        QVERIFY(form_.textEdit->toPlainText().startsWith(QStringLiteral("bem curta\n")));
        QVERIFY(QAccessible::queryAccessibleInterface(form_.textEdit)->state().multiLine);
        QCOMPARE(QAccessible::queryAccessibleInterface(form_.textEdit)->text(QAccessible::Name),
                 QStringLiteral("Texto do documento"));
    }

private:
    MainWindow form_;
    QAccessibleTextInterface* text_ = nullptr;
};

QTEST_MAIN(TextAccessibleTest)
#include "textaccessible_test.moc"
