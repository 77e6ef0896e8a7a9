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
#include "entrynames.h"
#include "modalanswer.h"
#include "postedevents.h"

class MainWindowTest : public QObject {
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

void MainWindowTest::opensAtItsDesignSize() {
    MainWindow mainWindow;
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    QCOMPARE(mainWindow.size(), QSize(948, 802));
    QCOMPARE(mainWindow.windowTitle(), QStringLiteral("Velloq"));
    QCOMPARE(mainWindow.textEdit->width(), 722);
    QCOMPARE(mainWindow.toolBarPanel->height(), 25);
    QCOMPARE(mainWindow.splitter->handleWidth(), 2);
    QCOMPARE(mainWindow.caretIndicator->text(), QStringLiteral("L=1  C=1"));
    QVERIFY(QFontInfo(mainWindow.textEdit->font()).fixedPitch());
    QCOMPARE(mainWindow.textEdit->font().pixelSize(), 16);
}

void MainWindowTest::resizingKeepsEditorWidthAndToolBarEdges_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("wider") << QSize(1400, 900);
    QTest::newRow("narrower") << QSize(900, 600);
}

void MainWindowTest::resizingKeepsEditorWidthAndToolBarEdges() {
    QFETCH(QSize, size);
    MainWindow mainWindow;
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    mainWindow.resize(size);
    QTRY_COMPARE(mainWindow.size(), size);
    QTRY_COMPARE(mainWindow.toolBarPanel->width(), mainWindow.centralWidget()->width());

    QCOMPARE(mainWindow.toolBarPanel->y(), 0);
    QCOMPARE(mainWindow.textEdit->width(), 722);
    const int listRight = mainWindow.fileListBox->mapTo(mainWindow.centralWidget(), QPoint(mainWindow.fileListBox->width(), 0)).x();
    QCOMPARE(listRight, mainWindow.centralWidget()->width());
    QCOMPARE(mainWindow.textEdit->width() + mainWindow.splitter->handleWidth() + mainWindow.fileListBox->width(),
             mainWindow.splitter->width());
    // The extension buttons stand at the tool bar's right edge, after the caret indicator.
    const QToolButton* last = mainWindow.button("allFilesButton");
    QVERIFY(mainWindow.toolBarPanel->contentsRect().right() - last->geometry().right() <= 2);
    QVERIFY(mainWindow.button("vloqFilterButton")->geometry().left() > mainWindow.caretIndicator->geometry().right());
}

void MainWindowTest::splitterMovesTheBorder() {
    MainWindow mainWindow;
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    QSplitterHandle* handle = mainWindow.splitter->handle(1);
    const QPoint middle = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, middle);
    QTest::mouseMove(handle, middle - QPoint(100, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, middle - QPoint(100, 0));
    // The handle's grab point may shift the border by one pixel.
    QTRY_VERIFY(qAbs(mainWindow.textEdit->width() - 622) <= 1);
    QCOMPARE(mainWindow.textEdit->width() + mainWindow.splitter->handleWidth() + mainWindow.fileListBox->width(),
             mainWindow.splitter->width());
}

void MainWindowTest::accessibleNames_data() {
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
    // A text button is named by the entry it stands for ("=id", entrynames.h).
    QTest::newRow("title") << "titleButton" << "=title";
    QTest::newRow("bold") << "boldButton" << "=bold";
    QTest::newRow("fixed width") << "fixedWidthButton" << "=fixedWidth";
    QTest::newRow("all files") << "allFilesButton" << "*.*";
}

void MainWindowTest::accessibleNames() {
    QFETCH(QString, name);
    QFETCH(QString, spoken);
    MainWindow mainWindow;
    mainWindow.show();
    QWidget* widget = mainWindow.findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(face);
    QCOMPARE(face->text(QAccessible::Name), ExpectedName(mainWindow, spoken));
}

void MainWindowTest::focusStartsInTheEditor() {
    MainWindow mainWindow;
    mainWindow.show();
    mainWindow.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(mainWindow.textEdit));
}

void MainWindowTest::startValues_data() {
    QTest::addColumn<QString>("folder");  // made under a temporary folder unless it is "/"
    QTest::newRow("root") << "/";
    QTest::newRow("plain folder") << "trabalho";
    QTest::newRow("accented folder with blanks") << "Matemática e ação";
}

void MainWindowTest::startValues() {
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

    MainWindow mainWindow;

    // The start values come from the current directory, whatever the run state held before.
    RunState& run = mainWindow.runState();
    for (int pass = 0; pass < 2; ++pass) {
        QCOMPARE(run.startFolder, start);
        QCOMPARE(run.workFolder, start + "/textos");
        QCOMPARE(run.helpFolder, start + "/help");
        QCOMPARE(run.programSettingsFile, start + "/velloq.ini");
        QCOMPARE(run.listFilter, std::string("*.vloq"));
        run.workFolder = "elsewhere";
        run.listFilter = "*.css";
        mainWindow.setStartValues();
    }
    // Creating the window reads and writes no file.
    if (folder != "/") QCOMPARE(QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void MainWindowTest::startTimerRunsOncePerRun() {
    MainWindow mainWindow;
    QSignalSpy ticks(mainWindow.startupTimer, &QTimer::timeout);
    QVERIFY(!mainWindow.startupTimer->isActive());
    QVERIFY(mainWindow.startupTimer->isSingleShot());
    QCOMPARE(mainWindow.startupTimer->interval(), 100);
    QVERIFY(!mainWindow.monitorTimer->isActive());
    QCOMPARE(mainWindow.monitorTimer->interval(), 300);

    mainWindow.show();
    mainWindow.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
    QTRY_COMPARE(ticks.count(), 1);
    QVERIFY(!mainWindow.startupTimer->isActive());

    // Coming back to the window from another one does not start the step again.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    mainWindow.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
    // Once the activation has been handled a timer that is not running cannot tick again.
    QVERIFY(processPostedEvents());
    QVERIFY(!mainWindow.startupTimer->isActive());
    QCOMPARE(ticks.count(), 1);
}

void MainWindowTest::fontChoiceLastsForTheRunOnly() {
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(15);
    QFont cancelled(QStringLiteral("DejaVu Sans"));
    cancelled.setPointSize(9);
    {
        MainWindow mainWindow;
        mainWindow.show();
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
        mainWindow.action("font")->trigger();
        QVERIFY(first.answered());
        QCOMPARE(mainWindow.textEdit->font().family(), chosen.family());
        QCOMPARE(mainWindow.textEdit->font().pointSize(), 15);

        // The dialog opens on its own last choice, not on the editor's font; cancelling it
        // changes nothing.
        mainWindow.textEdit->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
        ModalAnswer second(answer(cancelled, false));
        mainWindow.action("font")->trigger();
        QVERIFY(second.answered());
        QCOMPARE(opened.family(), chosen.family());
        QCOMPARE(mainWindow.textEdit->font().family(), QStringLiteral("DejaVu Sans Mono"));
    }
    // The next run starts with the design font again.
    MainWindow next;
    QVERIFY(QFontInfo(next.textEdit->font()).fixedPitch());
    QCOMPARE(next.textEdit->font().pixelSize(), 16);
}

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
