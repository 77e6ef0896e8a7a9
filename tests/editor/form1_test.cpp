// The main window: layout and resizing, names for screen readers, start values of the shared
// variables, the one-shot start-up timer and the editor font.
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "editor/uvars.h"
#include "editor/velloqPrinc.h"
#include "modalanswer.h"

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { startDir_ = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(startDir_); }

    void opensAtItsDesignSize();
    void resizingKeepsEditorWidthAndToolBarEdges_data();
    void resizingKeepsEditorWidthAndToolBarEdges();
    void splitterMovesTheBorder();
    void accessibleNames_data();
    void accessibleNames();
    void focusStartsInTheEditor();
    void startValues_data();
    void startValues();
    void startTimerRunsOncePerRun();
    void fontChoiceLastsForTheRunOnly();

private:
    QString startDir_;
};

void Form1Test::opensAtItsDesignSize() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.size(), QSize(948, 802));
    QCOMPARE(form.windowTitle(), QStringLiteral("Velloq"));
    QCOMPARE(form.Memo1->width(), 722);
    QCOMPARE(form.Panel1->height(), 25);
    QCOMPARE(form.Splitter1->handleWidth(), 2);
    QCOMPARE(form.l_lincol->text(), QStringLiteral("L=1  C=1"));
    QVERIFY(QFontInfo(form.Memo1->font()).fixedPitch());
    QCOMPARE(form.Memo1->font().pixelSize(), 16);
}

void Form1Test::resizingKeepsEditorWidthAndToolBarEdges_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("wider") << QSize(1400, 900);
    QTest::newRow("narrower") << QSize(900, 600);
}

void Form1Test::resizingKeepsEditorWidthAndToolBarEdges() {
    QFETCH(QSize, size);
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(size);
    QTRY_COMPARE(form.size(), size);
    QTRY_COMPARE(form.Panel1->width(), form.centralWidget()->width());

    QCOMPARE(form.Panel1->y(), 0);
    QCOMPARE(form.Memo1->width(), 722);
    const int listRight = form.lb_arquivos->mapTo(form.centralWidget(), QPoint(form.lb_arquivos->width(), 0)).x();
    QCOMPARE(listRight, form.centralWidget()->width());
    QCOMPARE(form.Memo1->width() + form.Splitter1->handleWidth() + form.lb_arquivos->width(),
             form.Splitter1->width());
    // The extension buttons stand at the tool bar's right edge, after the caret indicator.
    const QToolButton* last = form.button("btnTodos");
    QVERIFY(form.Panel1->contentsRect().right() - last->geometry().right() <= 2);
    QVERIFY(form.button("btnVloq")->geometry().left() > form.l_lincol->geometry().right());
}

void Form1Test::splitterMovesTheBorder() {
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QSplitterHandle* handle = form.Splitter1->handle(1);
    const QPoint middle = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, middle);
    QTest::mouseMove(handle, middle - QPoint(100, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, middle - QPoint(100, 0));
    // The handle's grab point may shift the border by one pixel.
    QTRY_VERIFY(qAbs(form.Memo1->width() - 622) <= 1);
    QCOMPARE(form.Memo1->width() + form.Splitter1->handleWidth() + form.lb_arquivos->width(),
             form.Splitter1->width());
}

void Form1Test::accessibleNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("editor") << "Memo1" << "Texto do documento";
    QTest::newRow("file list") << "lb_arquivos" << "Arquivos da pasta de trabalho";
    QTest::newRow("caret indicator") << "l_lincol" << "L=1  C=1";
    QTest::newRow("new") << "newButton1" << "Arquivo novo";
    QTest::newRow("open") << "OpenButton" << "Abrir arquivo";
    QTest::newRow("config") << "ConfigBtn" << "Configurar";
    QTest::newRow("cut") << "CutBtn" << "Cortar seleção";
    QTest::newRow("copy") << "CopyBtn" << "Copiar seleção";
    QTest::newRow("paste") << "PasteBtn" << "Colar";
    QTest::newRow("view") << "genvisBtn" << "Visualizar";
    QTest::newRow("title") << "TituloBtn" << "Título";
    QTest::newRow("bold") << "negBtn" << "Negrito";
    QTest::newRow("fixed width") << "LargFixaBtn" << "Espacejamento fixo";
    QTest::newRow("all files") << "btnTodos" << "*.*";
}

void Form1Test::accessibleNames() {
    QFETCH(QString, name);
    QFETCH(QString, spoken);
    TForm1 form;
    form.show();
    QWidget* widget = form.findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(face);
    QCOMPARE(face->text(QAccessible::Name), spoken);
}

void Form1Test::focusStartsInTheEditor() {
    TForm1 form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.Memo1));
}

void Form1Test::startValues_data() {
    QTest::addColumn<QString>("folder");  // made under a temporary folder unless it is "/"
    QTest::newRow("root") << "/";
    QTest::newRow("plain folder") << "trabalho";
    QTest::newRow("accented folder with blanks") << "Matemática e ação";
}

void Form1Test::startValues() {
    QFETCH(QString, folder);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QString dir = folder;
    if (folder != "/") {
        QVERIFY(QDir(tmp.path()).mkpath(folder));
        dir = QDir(tmp.path()).canonicalPath() + "/" + folder;
    }
    QVERIFY(QDir::setCurrent(dir));
    const std::string start = folder == "/" ? std::string() : dir.toStdString();
    uvars::WorkFolder = "elsewhere";
    uvars::ListFilter = "*.css";

    TForm1 form;

    QCOMPARE(uvars::StartFolder, start);
    QCOMPARE(uvars::WorkFolder, start + "/textos");
    QCOMPARE(uvars::HelpFolder, start + "/help");
    QCOMPARE(uvars::ProgramSettingsFile, start + "/velloq.ini");
    QCOMPARE(uvars::ListFilter, std::string("*.vloq"));
    // Creating the window reads and writes no file.
    if (folder != "/") QCOMPARE(QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void Form1Test::startTimerRunsOncePerRun() {
    TForm1 form;
    QSignalSpy ticks(form.Timer1, &QTimer::timeout);
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(form.Timer1->isSingleShot());
    QCOMPARE(form.Timer1->interval(), 100);
    QVERIFY(!form.TimerMonit->isActive());
    QCOMPARE(form.TimerMonit->interval(), 300);

    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTRY_COMPARE(ticks.count(), 1);
    QVERIFY(!form.Timer1->isActive());

    // Coming back to the window from another one does not start the step again.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(!form.Timer1->isActive());
    QTest::qWait(250);
    QCOMPARE(ticks.count(), 1);
}

void Form1Test::fontChoiceLastsForTheRunOnly() {
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(15);
    QFont cancelled(QStringLiteral("DejaVu Sans"));
    cancelled.setPointSize(9);
    {
        TForm1 form;
        form.show();
        QFont opened;
        auto answer = [&](const QFont& pick, bool confirm) {
            return [&opened, pick, confirm](QWidget* w) {
                auto* dialog = qobject_cast<QFontDialog*>(w);
                QVERIFY(dialog);
                opened = dialog->currentFont();
                dialog->setCurrentFont(pick);
                confirm ? dialog->accept() : dialog->reject();
            };
        };

        ModalAnswer first(answer(chosen, true));
        form.action("Fontenatela1")->trigger();
        QVERIFY(first.answered());
        QCOMPARE(form.Memo1->font().family(), chosen.family());
        QCOMPARE(form.Memo1->font().pointSize(), 15);

        // The dialog opens on its own last choice, not on the editor's font; cancelling it
        // changes nothing.
        form.Memo1->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
        ModalAnswer second(answer(cancelled, false));
        form.action("Fontenatela1")->trigger();
        QVERIFY(second.answered());
        QCOMPARE(opened.family(), chosen.family());
        QCOMPARE(form.Memo1->font().family(), QStringLiteral("DejaVu Sans Mono"));
    }
    // The next run starts with the design font again.
    TForm1 next;
    QVERIFY(QFontInfo(next.Memo1->font()).fixedPitch());
    QCOMPARE(next.Memo1->font().pixelSize(), 16);
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
