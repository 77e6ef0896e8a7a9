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

#include "editor/state/runstate.h"
#include "editor/mainwindow/mainwindow.h"
#include "modalanswer.h"
#include "postedevents.h"

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
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.size(), QSize(948, 802));
    QCOMPARE(form.windowTitle(), QStringLiteral("Velloq"));
    QCOMPARE(form.textEdit->width(), 722);
    QCOMPARE(form.toolBarPanel->height(), 25);
    QCOMPARE(form.splitter->handleWidth(), 2);
    QCOMPARE(form.caretIndicator->text(), QStringLiteral("L=1  C=1"));
    QVERIFY(QFontInfo(form.textEdit->font()).fixedPitch());
    QCOMPARE(form.textEdit->font().pixelSize(), 16);
}

void Form1Test::resizingKeepsEditorWidthAndToolBarEdges_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("wider") << QSize(1400, 900);
    QTest::newRow("narrower") << QSize(900, 600);
}

void Form1Test::resizingKeepsEditorWidthAndToolBarEdges() {
    QFETCH(QSize, size);
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(size);
    QTRY_COMPARE(form.size(), size);
    QTRY_COMPARE(form.toolBarPanel->width(), form.centralWidget()->width());

    QCOMPARE(form.toolBarPanel->y(), 0);
    QCOMPARE(form.textEdit->width(), 722);
    const int listRight = form.fileListBox->mapTo(form.centralWidget(), QPoint(form.fileListBox->width(), 0)).x();
    QCOMPARE(listRight, form.centralWidget()->width());
    QCOMPARE(form.textEdit->width() + form.splitter->handleWidth() + form.fileListBox->width(),
             form.splitter->width());
    // The extension buttons stand at the tool bar's right edge, after the caret indicator.
    const QToolButton* last = form.button("allFilesButton");
    QVERIFY(form.toolBarPanel->contentsRect().right() - last->geometry().right() <= 2);
    QVERIFY(form.button("vloqFilterButton")->geometry().left() > form.caretIndicator->geometry().right());
}

void Form1Test::splitterMovesTheBorder() {
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QSplitterHandle* handle = form.splitter->handle(1);
    const QPoint middle = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, middle);
    QTest::mouseMove(handle, middle - QPoint(100, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, middle - QPoint(100, 0));
    // The handle's grab point may shift the border by one pixel.
    QTRY_VERIFY(qAbs(form.textEdit->width() - 622) <= 1);
    QCOMPARE(form.textEdit->width() + form.splitter->handleWidth() + form.fileListBox->width(),
             form.splitter->width());
}

void Form1Test::accessibleNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("editor") << "textEdit" << "Texto do documento";
    QTest::newRow("file list") << "fileListBox" << "Arquivos da pasta de trabalho";
    QTest::newRow("caret indicator") << "caretIndicator" << "L=1  C=1";
    QTest::newRow("new") << "newButton" << "Arquivo novo";
    QTest::newRow("open") << "openButton" << "Abrir arquivo";
    QTest::newRow("config") << "configButton" << "Configurar";
    QTest::newRow("cut") << "cutButton" << "Cortar seleção";
    QTest::newRow("copy") << "copyButton" << "Copiar seleção";
    QTest::newRow("paste") << "pasteButton" << "Colar";
    QTest::newRow("view") << "viewButton" << "Visualizar";
    QTest::newRow("title") << "titleButton" << "Título";
    QTest::newRow("bold") << "boldButton" << "Negrito";
    QTest::newRow("fixed width") << "fixedWidthButton" << "Espacejamento fixo";
    QTest::newRow("all files") << "allFilesButton" << "*.*";
}

void Form1Test::accessibleNames() {
    QFETCH(QString, name);
    QFETCH(QString, spoken);
    MainWindow form;
    form.show();
    QWidget* widget = form.findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(face);
    QCOMPARE(face->text(QAccessible::Name), spoken);
}

void Form1Test::focusStartsInTheEditor() {
    MainWindow form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.textEdit));
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
    runstate::WorkFolder = "elsewhere";
    runstate::ListFilter = "*.css";

    MainWindow form;

    QCOMPARE(runstate::StartFolder, start);
    QCOMPARE(runstate::WorkFolder, start + "/textos");
    QCOMPARE(runstate::HelpFolder, start + "/help");
    QCOMPARE(runstate::ProgramSettingsFile, start + "/velloq.ini");
    QCOMPARE(runstate::ListFilter, std::string("*.vloq"));
    // Creating the window reads and writes no file.
    if (folder != "/") QCOMPARE(QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void Form1Test::startTimerRunsOncePerRun() {
    MainWindow form;
    QSignalSpy ticks(form.startupTimer, &QTimer::timeout);
    QVERIFY(!form.startupTimer->isActive());
    QVERIFY(form.startupTimer->isSingleShot());
    QCOMPARE(form.startupTimer->interval(), 100);
    QVERIFY(!form.monitorTimer->isActive());
    QCOMPARE(form.monitorTimer->interval(), 300);

    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTRY_COMPARE(ticks.count(), 1);
    QVERIFY(!form.startupTimer->isActive());

    // Coming back to the window from another one does not start the step again.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    // Once the activation has been handled a timer that is not running cannot tick again.
    QVERIFY(processPostedEvents());
    QVERIFY(!form.startupTimer->isActive());
    QCOMPARE(ticks.count(), 1);
}

void Form1Test::fontChoiceLastsForTheRunOnly() {
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(15);
    QFont cancelled(QStringLiteral("DejaVu Sans"));
    cancelled.setPointSize(9);
    {
        MainWindow form;
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
        form.action("font")->trigger();
        QVERIFY(first.answered());
        QCOMPARE(form.textEdit->font().family(), chosen.family());
        QCOMPARE(form.textEdit->font().pointSize(), 15);

        // The dialog opens on its own last choice, not on the editor's font; cancelling it
        // changes nothing.
        form.textEdit->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
        ModalAnswer second(answer(cancelled, false));
        form.action("font")->trigger();
        QVERIFY(second.answered());
        QCOMPARE(opened.family(), chosen.family());
        QCOMPARE(form.textEdit->font().family(), QStringLiteral("DejaVu Sans Mono"));
    }
    // The next run starts with the design font again.
    MainWindow next;
    QVERIFY(QFontInfo(next.textEdit->font()).fixedPitch());
    QCOMPARE(next.textEdit->font().pixelSize(), 16);
}

QTEST_MAIN(Form1Test)
#include "mainwindow_test.moc"
