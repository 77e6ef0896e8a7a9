// The folder chooser: what each way of leaving it gives, browsing by keyboard, and creating a
// subfolder.
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "editor/workfolder/folderchooser.h"
#include "scriptedsink.h"

class UdirTest : public QObject {
    Q_OBJECT
private slots:
    void result_data();
    void result();
    void enterInTheListBrowses();
    void createSubfolder_data();
    void createSubfolder();
};

void UdirTest::result_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("result");  // %1: the initial folder
    QTest::newRow("OK takes the text as typed") << "ok" << "  outro lugar";
    QTest::newRow("Cancela gives nothing") << "cancel" << "";
    QTest::newRow("Esc cancels") << "esc" << "";
    QTest::newRow("the frame keeps the initial folder") << "frame" << "%1";
}

void UdirTest::result() {
    QFETCH(QString, how);
    QFETCH(QString, result);
    QTemporaryDir tmp;
    FolderChooser mainWindow;
    mainWindow.result = tmp.path().toStdString();
    mainWindow.show();
    mainWindow.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
    QCOMPARE(mainWindow.folderNameEdit->text(), tmp.path());
    QCOMPARE(mainWindow.folderListBox->directory(), QDir(tmp.path()).canonicalPath());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(mainWindow.folderNameEdit));
    if (how == "ok") {
        mainWindow.folderNameEdit->setText("  outro lugar");
        QTest::keyClick(mainWindow.folderNameEdit, Qt::Key_Return);  // the default button
    } else if (how == "cancel") {
        mainWindow.cancelButton->click();
    } else if (how == "esc") {
        QTest::keyClick(mainWindow.folderNameEdit, Qt::Key_Escape);
    } else {
        mainWindow.close();
    }
    QVERIFY(!mainWindow.isVisible());
    QCOMPARE(QString::fromStdString(mainWindow.result), result.arg(tmp.path()));
}

void UdirTest::enterInTheListBrowses() {
    QTemporaryDir tmp;
    const QString base = QDir(tmp.path()).canonicalPath();
    QDir(base).mkpath("b/interna");
    QDir(base).mkdir("a");
    FolderChooser mainWindow;
    mainWindow.result = base.toStdString();
    mainWindow.show();
    // The path from the root, then the subfolders by name.
    const int levels = int(base.count('/')) + 1;
    QCOMPARE(mainWindow.folderListBox->count(), levels + 2);
    QCOMPARE(mainWindow.folderListBox->item(levels + 1)->text().trimmed(), QString("b"));

    mainWindow.folderListBox->setFocus();
    mainWindow.folderListBox->setCurrentRow(levels + 1);
    QTest::keyClick(mainWindow.folderListBox, Qt::Key_Return);
    QVERIFY(mainWindow.isVisible());  // Enter opened the folder; it did not press "&OK"
    QCOMPARE(mainWindow.folderNameEdit->text(), base + "/b");
    QCOMPARE(mainWindow.folderListBox->item(mainWindow.folderListBox->count() - 1)->text().trimmed(), QString("interna"));

    // Going up to a parent line shows the parent again.
    mainWindow.folderListBox->setCurrentRow(levels - 1);
    QTest::keyClick(mainWindow.folderListBox, Qt::Key_Enter);
    QCOMPARE(mainWindow.folderNameEdit->text(), base);
}

void UdirTest::createSubfolder_data() {
    QTest::addColumn<QStringList>("answers");  // empty: the input box is cancelled
    QTest::addColumn<QString>("shown");        // the folder shown afterwards, under the base
    QTest::addColumn<bool>("failed");
    QTest::newRow("new name") << QStringList{"aulas 2024"} << "aulas 2024" << false;
    QTest::newRow("accented name") << QStringList{"ação"} << "ação" << false;
    QTest::newRow("existing name") << QStringList{"existe"} << "" << true;
    QTest::newRow("missing parent") << QStringList{"nao/tem"} << "" << true;
    QTest::newRow("empty name") << QStringList{""} << "" << true;
    QTest::newRow("cancelled") << QStringList{} << "" << false;
}

void UdirTest::createSubfolder() {
    QFETCH(QStringList, answers);
    QFETCH(QString, shown);
    QFETCH(bool, failed);
    QTemporaryDir tmp;
    const QString base = QDir(tmp.path()).canonicalPath();
    QDir(base).mkdir("existe");
    ScriptedSink sink;
    for (const QString& answer : answers) sink.texts.push_back(answer.toStdString());
    FolderChooser mainWindow;
    mainWindow.result = base.toStdString();
    mainWindow.show();
    mainWindow.createFolderButton->click();

    std::vector<std::string> calls{"AskText: Qual o nome? "};
    if (failed) calls.push_back("Show: N\xC3\xA3o foi poss\xC3\xADvel criar com este nome");
    QCOMPARE(sink.calls, calls);
    const QString expected = shown.isEmpty() ? base : base + "/" + shown;
    QCOMPARE(mainWindow.folderNameEdit->text(), expected);
    QVERIFY(QFileInfo(expected).isDir());
    QVERIFY(mainWindow.isVisible());
}

QTEST_MAIN(UdirTest)
#include "folderchooser_test.moc"
