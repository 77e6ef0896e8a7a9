// The formatting and structure commands and the formula menu, through the window's own
// menu entries.
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

#include "editor/text/editoperations.h"
#include "editor/editing/formatcommands.h"
#include "editor/mainwindow/mainwindow.h"
#include "editortext.h"
#include "scriptedsink.h"

namespace {


QString clipboardText() { return QGuiApplication::clipboard()->text(); }

}  // namespace

class FormattingTest : public QObject {
    Q_OBJECT

private:
    MainWindow* mainWindow = nullptr;
    void trigger(const char* name) {
        QAction* entry = mainWindow->action(QString::fromLatin1(name));
        QVERIFY2(entry, name);
        entry->trigger();
    }

private slots:
    void init() { mainWindow = new MainWindow; }
    void cleanup() {
        delete mainWindow;
        QGuiApplication::clipboard()->clear();
    }

    void caretLineColumn_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::newRow("empty") << "" << 0 << 0 << 0 << 0;
        QTest::newRow("end of first line") << "abc\ndef" << 3 << 3 << 0 << 3;
        QTest::newRow("start of second line") << "abc\ndef" << 4 << 4 << 1 << 0;
        QTest::newRow("inside third line") << "a\n\nxyz" << 5 << 5 << 2 << 2;
        QTest::newRow("after a final line end") << "a\n" << 2 << 2 << 1 << 0;
        QTest::newRow("forward selection") << "abc\ndef" << 1 << 6 << 0 << 1;
        QTest::newRow("backward selection") << "abc\ndef" << 6 << 1 << 0 << 1;
    }
    void caretLineColumn() {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, position);
        QFETCH(int, line);
        QFETCH(int, column);
        setText(mainWindow->textEdit, text, anchor, position);
        const LineColumn at = CaretLineColumn(mainWindow->textEdit);
        QCOMPARE(at.line, line);
        QCOMPARE(at.column, column);
        UpdateLineColumnLabel(mainWindow->textEdit, mainWindow->caretIndicator);
        QCOMPARE(mainWindow->caretIndicator->text(), QStringLiteral("L=%1 C=%2").arg(line + 1).arg(column + 1));
    }

    // The indicator's column counts characters: an emoji takes two UTF-16 units but one column.
    void indicatorCountsCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");  // in UTF-16 units
        QTest::addColumn<QString>("shown");
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("after an emoji") << "a" + emoji + "b" << 3 << "L=1 C=3";
        QTest::newRow("after two emoji") << emoji + emoji << 4 << "L=1 C=3";
        QTest::newRow("emoji on the line before") << emoji + "\nab" << 4 << "L=2 C=2";
        QTest::newRow("accented letters") << QString::fromUtf8("a\xC3\xA7\xC3\xA3o") << 4 << "L=1 C=5";
    }
    void indicatorCountsCharacters() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, shown);
        setText(mainWindow->textEdit, text, caret, caret);
        UpdateLineColumnLabel(mainWindow->textEdit, mainWindow->caretIndicator);
        QCOMPARE(mainWindow->caretIndicator->text(), shown);
    }

    void indicatorFollowsKeysAndClicks() {
        QCOMPARE(mainWindow->caretIndicator->text(), QStringLiteral("L=1  C=1"));
        mainWindow->show();
        mainWindow->textEdit->setFocus();
        QTest::keyClicks(mainWindow->textEdit, "ab");
        QTest::keyClick(mainWindow->textEdit, Qt::Key_Return);
        QTest::keyClicks(mainWindow->textEdit, "c");
        QCOMPARE(mainWindow->caretIndicator->text(), QStringLiteral("L=2 C=2"));
        QTest::keyClick(mainWindow->textEdit, Qt::Key_Up);  // moves the caret, changes no text
        QCOMPARE(mainWindow->caretIndicator->text(), QStringLiteral("L=1 C=2"));
    }

    void wrapping_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("bold") << "bold" << "x" << 0 << 1 << "<b>x</b>" << "<b>x</b>";
        QTest::newRow("centre, nothing selected") << "centred" << "ab" << 1 << 1 << "a<center></center>b"
                                                  << "<center></center>";
        QTest::newRow("italic backwards") << "italic" << "um dois" << 7 << 3 << "um <i>dois</i>" << "<i>dois</i>";
        QTest::newRow("underline") << "underline" << "ab" << 0 << 2 << "<u>ab</u>" << "<u>ab</u>";
        QTest::newRow("fixed, two lines") << "fixedWidth" << "a\nb" << 0 << 3 << "<pre>a\nb</pre>"
                                          << "<pre>a\r\nb</pre>";
        QTest::newRow("h1") << "heading1" << "t" << 0 << 1 << "<h1>t</h1>" << "<h1>t</h1>";
        QTest::newRow("h2") << "heading2" << "t" << 0 << 1 << "<h2>t</h2>" << "<h2>t</h2>";
        QTest::newRow("h3") << "heading3" << "t" << 0 << 1 << "<h3>t</h3>" << "<h3>t</h3>";
        QTest::newRow("h4") << "heading4" << "t" << 0 << 1 << "<h4>t</h4>" << "<h4>t</h4>";
        QTest::newRow("h5") << "heading5" << "t" << 0 << 1 << "<h5>t</h5>" << "<h5>t</h5>";
        QTest::newRow("h6") << "heading6" << "t" << 0 << 1 << "<h6>t</h6>" << "<h6>t</h6>";
    }
    void wrapping() {
        QFETCH(QString, entry);
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, position);
        QFETCH(QString, result);
        QFETCH(QString, clipboard);
        setText(mainWindow->textEdit, text, anchor, position);
        trigger(entry.toLatin1().constData());
        QCOMPARE(mainWindow->textEdit->toPlainText(), result);
        QCOMPARE(clipboardText(), clipboard);
        const int closing = result.indexOf(QLatin1String("</")) + result.mid(result.indexOf(QLatin1String("</"))).indexOf('>') + 1;
        QCOMPARE(mainWindow->textEdit->textCursor().position(), closing);
    }

    void textButtonsWrapToo() {
        setText(mainWindow->textEdit, "x", 0, 1);
        mainWindow->button(QStringLiteral("boldButton"))->click();
        QCOMPARE(mainWindow->textEdit->toPlainText(), QStringLiteral("<b>x</b>"));
    }

    void title_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("times");
        QTest::addColumn<QString>("result");
        QTest::newRow("empty editor") << "" << 0 << 1 << "*";
        QTest::newRow("twice") << "palavra" << 3 << 2 << "**palavra";
        QTest::newRow("second line") << "a\nTema\nc" << 4 << 1 << "a\n*Tema\nc";
    }
    void title() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, times);
        QFETCH(QString, result);
        setText(mainWindow->textEdit, text, caret, caret);
        for (int i = 0; i < times; ++i) trigger("title");
        QCOMPARE(mainWindow->textEdit->toPlainText(), result);
        const QTextBlock line = mainWindow->textEdit->textCursor().block();
        QCOMPARE(mainWindow->textEdit->textCursor().position(), line.position() + line.length() - 1);
        QCOMPARE(mainWindow->caretIndicator->text(), QStringLiteral("L=%1 C=%2").arg(line.blockNumber() + 1).arg(line.length()));
    }

    void pageBreak_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("indicator");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<QString>("selected");
        QTest::newRow("empty editor") << "" << 0 << "<page>\n" << "L=2 C=1" << 0 << "";
        QTest::newRow("column 0 goes before") << "a\nb\nc\nd\ne" << 8 << "a\nb\nc\nd\n<page>\ne" << "L=6 C=1" << 8 << "";
        QTest::newRow("middle goes after") << "abc\ndef" << 1 << "abc\n<page>\ndef" << "L=1 C=2" << 1 << "";
        QTest::newRow("end of last line") << "abc\ndef" << 7 << "abc\ndef\n<page>" << "L=2 C=4" << 7 << "";
        // A selection across the line end keeps its text, the new line within it.
        QTest::newRow("selection past the line end")
            << "abc\ndef\nghi" << 6 << "abc\n<page>\ndef\nghi" << "L=1 C=2" << 1 << "bc\n<page>\nde";
        QTest::newRow("selection made backwards")
            << "abc\ndef\nghi" << 1 << "abc\n<page>\ndef\nghi" << "L=1 C=2" << 6 << "bc\n<page>\nde";
    }
    void pageBreak() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, result);
        QFETCH(QString, indicator);
        QFETCH(int, anchor);
        QFETCH(QString, selected);
        setText(mainWindow->textEdit, text, anchor, caret);
        trigger("pageBreak");
        QCOMPARE(mainWindow->textEdit->toPlainText(), result);
        QCOMPARE(mainWindow->caretIndicator->text(), indicator);
        QCOMPARE(mainWindow->textEdit->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')),
                 selected);
    }

    void table_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("columns");
        for (const char* answer : {"0", "11", "-2", "abc", ""}) QTest::newRow(answer) << answer << 3;
        QTest::newRow("10") << "10" << 10;
        QTest::newRow(" 4") << " 4" << 4;
        QTest::newRow("5 colunas") << "5 colunas" << 5;
        QTest::newRow("+2") << "+2" << 2;
        QTest::newRow("huge") << "99999999999999999999" << 3;
    }
    void table() {
        QFETCH(QString, answer);
        QFETCH(int, columns);
        QCOMPARE(TableColumns(answer), columns);
        ScriptedSink sink;
        sink.texts.push_back(answer.toStdString());
        QGuiApplication::clipboard()->setText(QStringLiteral("antes"));
        setText(mainWindow->textEdit, "x", 1, 1);
        trigger("table");
        QCOMPARE(sink.calls, std::vector<std::string>{"AskText: Quantas colunas?"});
        QString expected = QStringLiteral("x@%1\n").arg(columns);
        for (int row = 1; row <= 2; ++row)
            for (int column = 1; column <= columns; ++column) expected += QString::number(row * 10 + column) + "\n";
        QCOMPARE(mainWindow->textEdit->toPlainText(), expected + "@\n");
        QVERIFY(clipboardText().isEmpty());
    }

    void tableCancelledChangesNothing() {
        ScriptedSink sink;  // no answer: the box is cancelled
        setText(mainWindow->textEdit, "x", 1, 1);
        trigger("table");
        QCOMPARE(mainWindow->textEdit->toPlainText(), QStringLiteral("x"));
    }

    void insertedTextsByteForByte() {
        QCOMPARE(TableSkeleton(2), QStringLiteral("@2\r\n11\r\n12\r\n21\r\n22\r\n@\r\n"));
        QCOMPARE(TableSkeleton(10).split("\r\n").at(10), QStringLiteral("20"));
        QCOMPARE(RuleText(), QStringLiteral("\r\n-----------------------------------\r\n"));
        QCOMPARE(RuleText().count('-'), 35);
        QCOMPARE(IndentText(">>"), QStringLiteral("\r\n>>\r\n"));
    }

    void ruleAndIndentation_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("result");
        QTest::newRow("rule") << "rule" << "ab\n-----------------------------------\ncd";
        QTest::newRow("indent") << "indentOpen" << "ab\n>>\ncd";
        QTest::newRow("end of indent") << "indentClose" << "ab\n<<\ncd";
    }
    void ruleAndIndentation() {
        QFETCH(QString, entry);
        QFETCH(QString, result);
        QGuiApplication::clipboard()->setText(QStringLiteral("antes"));
        setText(mainWindow->textEdit, "abcd", 2, 2);
        trigger(entry.toLatin1().constData());
        QCOMPARE(mainWindow->textEdit->toPlainText(), result);
        QVERIFY(clipboardText().isEmpty());
        QVERIFY(mainWindow->textEdit->document()->isModified());
    }

    void undoCutCopyPaste() {
        setText(mainWindow->textEdit, "abc", 0, 1);
        trigger("copy");
        QCOMPARE(clipboardText(), QStringLiteral("a"));
        trigger("cut");
        QCOMPARE(mainWindow->textEdit->toPlainText(), QStringLiteral("bc"));
        trigger("paste");
        trigger("paste");
        QCOMPARE(mainWindow->textEdit->toPlainText(), QStringLiteral("aabc"));
        trigger("undo");
        QCOMPARE(mainWindow->textEdit->toPlainText(), QStringLiteral("abc"));
    }

    // The formula menu against the catalogue file it is built from: every submenu, separator and caption.
    void catalogueMatchesTheExpectedCaptions() {
        QFile file(QStringLiteral(VELLOQ_CATALOGUE_CAPTIONS));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList expected;  // every line from the first submenu on, but empty ones
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).replace(QStringLiteral("«TAB»"), QStringLiteral("\t"));
            if ((expected.isEmpty() && !line.startsWith("# ")) || line.isEmpty()) continue;
            expected << line;
        }
        QMenu* math = mainWindow->findChild<QMenu*>(QStringLiteral("mathMenu"));
        QVERIFY(math);
        const QList<QAction*> top = math->actions();
        QCOMPARE(top.at(0)->text(), QStringLiteral("Lista geral de fórmulas"));
        QVERIFY(top.at(1)->isSeparator());
        QStringList shown;
        int submenus = 0, formulas = 0, separators = 0;
        for (QAction* groupAction : top.mid(2)) {
            QMenu* submenu = groupAction->menu();
            QVERIFY(submenu);
            ++submenus;
            shown << "# " + submenu->title();
            for (QAction* entry : submenu->actions()) {
                if (entry->isSeparator()) {
                    ++separators;
                    shown << "-";
                } else {
                    ++formulas;
                    shown << FormulaCaption(entry);
                    QCOMPARE(entry->text(), MenuCaption(FormulaCaption(entry)));
                    QVERIFY(!entry->text().contains('\t'));
                }
            }
        }
        QCOMPARE(submenus, 20);
        QCOMPARE(formulas, 233);
        QCOMPARE(separators, 10);
        QCOMPARE(shown, expected);
    }

    void formulaInsertion_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("inserted");
        QTest::newRow("square") << "Quadrado  `P=4.L`" << "`P=4.L`";
        QTest::newRow("two expressions") << "Prop. Comutativa     `A uu B = B uu A`   `A nn B = B nn A`"
                                         << "`A uu B = B uu A`   `A nn B = B nn A`";
        QTest::newRow("four tabs") << "Elemento neutro      `A uu O/ = A`   `A nn E = A`\t\t\t\t"
                                   << "`A uu O/ = A`   `A nn E = A`\t\t\t\t";
        QTest::newRow("words between") << "Eq. Vetorial da Reta    `(x,y,z)=(x_0,y_0,z_0)+k(u_1,u_2,u_3), k` em `RR`"
                                       << "`(x,y,z)=(x_0,y_0,z_0)+k(u_1,u_2,u_3), k` em `RR`";
        QTest::newRow("trailing blank") << "Frequência Absoluta       `n_i` " << "`n_i` ";
        QTest::newRow("marked entry") << "Produto   `a^mxxa^n=a^(m+n)`" << "`a^mxxa^n=a^(m+n)`";
    }
    void formulaInsertion() {
        QFETCH(QString, caption);
        QFETCH(QString, inserted);
        QAction* entry = nullptr;
        for (QAction* candidate : mainWindow->findChildren<QAction*>())
            if (FormulaCaption(candidate) == caption) entry = candidate;
        QVERIFY2(entry, qPrintable(caption));
        QGuiApplication::clipboard()->setText(QStringLiteral("antes"));
        setText(mainWindow->textEdit, "[x]", 1, 2);
        entry->trigger();
        QCOMPARE(mainWindow->textEdit->toPlainText(), "[" + inserted + "]");
        QCOMPARE(mainWindow->textEdit->textCursor().position(), 1 + inserted.size());
        QVERIFY(clipboardText().isEmpty());
    }

    void formulaEntriesAreAnnounced() {
        QMenu* group = mainWindow->findChild<QMenu*>(QStringLiteral("formulaGroup1"));
        QVERIFY(group);
        QCOMPARE(group->title(), QStringLiteral("Perímetros"));
        group->popup(QPoint(0, 0));
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(group);
        QVERIFY(menu);
        QCOMPARE(menu->childCount(), 6);
        // Heard as its reading; the screen shows the notation.
        QCOMPARE(menu->child(0)->text(QAccessible::Name), QStringLiteral("Quadrado: P igual a 4 vezes L"));
        QCOMPARE(group->actions().at(0)->text(), QStringLiteral("Quadrado  `P=4.L`"));
        // Keyboard: Down then Enter inserts the first formula.
        mainWindow->textEdit->clear();
        QTest::keyClick(group, Qt::Key_Down);
        QTest::keyClick(group, Qt::Key_Return);
        QCOMPARE(mainWindow->textEdit->toPlainText(), QStringLiteral("`P=4.L`"));
    }
};

QTEST_MAIN(FormattingTest)
#include "formatting_test.moc"
