// The work folder on real folders: the recent-folder list and its settings keys, start-up
// with and without "textos", the list's patterns and keys, loading what the user picks, the
// chooser's create question and template copies, and the reopen entries.
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>

#include "docfixture.h"
#include "postedevents.h"
#include "editor/documents/documents.h"
#include "editor/workfolder/filelist.h"
#include "editor/workfolder/folders.h"
#include "editor/workfolder/folderchooser.h"
#include "platform/profile.h"

namespace {

std::string show(const QString& text) { return "Show: " + text.toStdString(); }

// Answers the folder chooser with a typed path, or cancels it when path is empty.
ScriptedDialogs::Answer chooserTyping(const QString& path) {
    return [path](QDialog& dialog) {
        auto& chooser = static_cast<FolderChooser&>(dialog);
        if (path.isEmpty()) {
            chooser.cancel();
            return int(QDialog::Rejected);
        }
        chooser.folderNameEdit->setText(path);
        chooser.confirm();
        return int(QDialog::Accepted);
    };
}

}  // namespace

class WorkFolderTest : public QObject {
    Q_OBJECT
private slots:
    void rememberFolder_data();
    void rememberFolder();
    void startUp_data();
    void startUp();
    void extensionKeysAndPatterns_data();
    void extensionKeysAndPatterns();
    void extensionButtonAsksFirst_data();
    void extensionButtonAsksFirst();
    void arrowKeysLoadEachEntry();
    void listOrderAndCurrentLine_data();
    void listOrderAndCurrentLine();
    void keyOpensCurrentLine_data();
    void keyOpensCurrentLine();
    void failedPickLeavesUntitled_data();
    void failedPickLeavesUntitled();
    void chooseFolder_data();
    void chooseFolder();
    void reopen_data();
    void reopen();
    void reopenSubmenuShowsHeldFolders_data();
    void reopenSubmenuShowsHeldFolders();
    void newFolderTakesAuthorAndContact();
};

void WorkFolderTest::rememberFolder_data() {
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("recent");
    QTest::newRow("one") << QStringList{"/a"} << QStringList{"/a", "", "", "", ""};
    QTest::newRow("the same twice") << QStringList{"/a", "/a"} << QStringList{"/a", "", "", "", ""};
    QTest::newRow("a sixth drops the oldest")
        << QStringList{"/a", "/b", "/c", "/d", "/e", "/f"} << QStringList{"/f", "/e", "/d", "/c", "/b"};
    QTest::newRow("an older one moves to the front")
        << QStringList{"/a", "/b", "/c", "/b"} << QStringList{"/b", "/c", "/a", "", ""};
    QTest::newRow("letter case counts") << QStringList{"/a", "/A"} << QStringList{"/A", "/a", "", "", ""};
    QTest::newRow("accented name") << QStringList{"/ação"} << QStringList{"/ação", "", "", "", ""};
}

void WorkFolderTest::rememberFolder() {
    QFETCH(QStringList, opened);
    QFETCH(QStringList, recent);
    DocFixture f;
    for (const QString& path : opened) folders::RememberFolder(f.run(), path.toStdString());
    const std::string ini = f.run().programSettingsFile;
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(QString::fromStdString(f.run().recentFolders[size_t(i)]), recent[i]);
        // The file holds Windows-1252 text.
        const std::string key = "arq" + std::to_string(i + 1);
        QCOMPARE(QString::fromLatin1(profile::ReadString(ini, "VELLOQ", key, "?")), recent[i]);
    }
    QCOMPARE(QString::fromLatin1(profile::ReadString(ini, "VELLOQ", "PASTAPADRAO", "?")), recent[0]);
}

void WorkFolderTest::startUp_data() {
    QTest::addColumn<bool>("withTextos");
    QTest::newRow("textos present") << true;
    QTest::newRow("textos missing") << false;
}

void WorkFolderTest::startUp() {
    QFETCH(bool, withTextos);
    DocFixture f(withTextos);
    writeBytes(f.start + "/inicio.vloq", "x");
    if (withTextos) writeBytes(f.textos() + "/aula.vloq", "x");
    f.mainWindow->show();
    f.mainWindow->activateWindow();
    // The window's first activation runs the step once its timer ticks.
    QTRY_VERIFY(!f.listed().isEmpty());
    QCOMPARE(f.dialogs.shown, withTextos ? std::vector<std::string>{"workFolderSettingsDialog"} : std::vector<std::string>{});
    QCOMPARE(f.sink.calls, withTextos ? std::vector<std::string>{}
                                      : std::vector<std::string>{show("Pasta de trabalho " + f.textos() + " está inacessível")});
    QCOMPARE(f.listed(), withTextos ? QStringList{"aula.vloq"} : QStringList{"inicio.vloq"});
    QCOMPARE(f.cwd(), withTextos ? f.textos() : f.start);
    if (withTextos) QCOMPARE(f.mainWindow->openDialog->directory().absolutePath(), f.textos());
    QCOMPARE(f.run().templateFile, std::string("modeloMat.mdl"));

    emit f.mainWindow->findChild<QMenu*>("reopenMenu")->aboutToShow();
    QStringList captions;
    for (const char* name : {"recentFolder1", "recentFolder2", "recentFolder3", "recentFolder4", "recentFolder5"}) captions << f.mainWindow->action(name)->text();
    QCOMPARE(captions, QStringList({withTextos ? f.textos() : QString(), "", "", "", ""}));
}

void WorkFolderTest::extensionKeysAndPatterns_data() {
    QTest::addColumn<int>("key");  // with Alt
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("Alt+1 vloq") << int(Qt::Key_1) << "*.vloq" << QStringList{".oculto.vloq", "a.vloq", "pasta.vloq"};
    QTest::newRow("Alt+2 mdl") << int(Qt::Key_2) << "*.mdl" << QStringList{"modelo.mdl"};
    QTest::newRow("Alt+3 css") << int(Qt::Key_3) << "*.css" << QStringList{};
    QTest::newRow("Alt+4 lists folders and names without a dot")
        << int(Qt::Key_4) << "*.*"
        << QStringList{".oculto.vloq", "B.VLOQ", "a.vloq", "modelo.mdl", "pasta.vloq", "semponto", "sub"};
}

void WorkFolderTest::extensionKeysAndPatterns() {
    QFETCH(int, key);
    QFETCH(QString, filter);
    QFETCH(QStringList, listed);
    DocFixture f;
    for (const char* name : {"a.vloq", "B.VLOQ", ".oculto.vloq", "modelo.mdl", "semponto"})
        writeBytes(f.textos() + "/" + name, "x");
    QDir(f.textos()).mkdir("sub");
    QDir(f.textos()).mkdir("pasta.vloq");
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    f.mainWindow->show();
    f.mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.mainWindow.get()));
    f.run().listFilter = "*.nada";

    QTest::keyClick(f.mainWindow->textEdit, Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(QString::fromStdString(f.run().listFilter), filter);
    QStringList names = f.listed();
    names.sort();
    QCOMPARE(names, listed);
    QCOMPARE(f.selected(), QString());
}

void WorkFolderTest::extensionButtonAsksFirst_data() {
    QTest::addColumn<bool>("answer");
    QTest::newRow("Yes changes only the list") << true;
    QTest::newRow("No changes nothing") << false;
}

void WorkFolderTest::extensionButtonAsksFirst() {
    QFETCH(bool, answer);
    DocFixture f;
    writeBytes(f.textos() + "/m.mdl", "x");
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    f.type("meu texto");
    f.sink.yesNo = {answer};
    f.mainWindow->button("mdlFilterButton")->click();
    QCOMPARE(f.sink.calls, std::vector<std::string>{std::string("AskYesNo: ") + kLoadAnother});
    QCOMPARE(f.run().listFilter, std::string(answer ? "*.mdl" : "*.vloq"));
    QCOMPARE(f.listed(), answer ? QStringList{"m.mdl"} : QStringList{});
    QCOMPARE(f.text(), std::string("meu texto"));
    QVERIFY(f.modified());
}

void WorkFolderTest::arrowKeysLoadEachEntry() {
    DocFixture f;
    for (const char* name : {"a.vloq", "b.vloq", "c.vloq"}) writeBytes(f.textos() + "/" + name, QByteArray("texto ") + name);
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    f.mainWindow->show();
    f.mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.mainWindow.get()));

    // A selection that the program makes loads nothing.
    const QStringList names = f.listed();
    f.commands.list->RefreshFileList(names[0].toStdString());
    QCOMPARE(f.selected(), names[0]);
    QVERIFY(processPostedEvents());  // a load would be queued
    QCOMPARE(f.text(), std::string());

    // Tab leaves the editor for the list without typing a tab.
    f.mainWindow->textEdit->setFocus();
    QTest::keyClick(f.mainWindow->textEdit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.mainWindow->fileListBox));
    QCOMPARE(f.text(), std::string());
    // The Tab that brings the focus into the editor from elsewhere leaves it there: its
    // release is not a Tab typed in the editor.
    QTest::keyPress(f.mainWindow->fileListBox, Qt::Key_Tab);
    f.mainWindow->textEdit->setFocus(Qt::TabFocusReason);
    QTest::keyRelease(f.mainWindow->textEdit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.mainWindow->textEdit));
    QTest::keyClick(f.mainWindow->textEdit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.mainWindow->fileListBox));

    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
        const int row = f.mainWindow->fileListBox->currentRow() + (key == Qt::Key_Up ? -1 : 1);
        QTest::keyClick(f.mainWindow->fileListBox, key);
        const QString name = names[row];
        QTRY_COMPARE(f.mainWindow->windowTitle(), "Velloq " + name);
        QCOMPARE(f.text(), "texto " + name.toStdString());
        QCOMPARE(f.run().currentFile, name.toStdString());
        QCOMPARE(f.selected(), name);
    }
    QTest::keyClick(f.mainWindow->fileListBox, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.mainWindow->textEdit));
    QVERIFY(f.sink.calls.empty());
}

void WorkFolderTest::listOrderAndCurrentLine_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("open");  // picked from the list first; "" for none
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("current");  // the line the keyboard lands on in the list
    const QStringList files{"aula10.vloq", "aula2.vloq", "Beta.vloq", "ábaco.vloq", "alfa.vloq", "Alfa.vloq"};
    const QStringList sorted{"ábaco.vloq", "Alfa.vloq", "alfa.vloq", "aula2.vloq", "aula10.vloq", "Beta.vloq"};
    QTest::newRow("none open: the first") << files << "" << sorted << "ábaco.vloq";
    QTest::newRow("the open document") << files << "aula10.vloq" << sorted << "aula10.vloq";
    QTest::newRow("empty folder") << QStringList{} << "" << QStringList{} << "";
}

void WorkFolderTest::listOrderAndCurrentLine() {
    QFETCH(QStringList, files);
    QFETCH(QString, open);
    QFETCH(QStringList, listed);
    QFETCH(QString, current);
    DocFixture f;
    for (const QString& name : files) writeBytes(f.textos() + "/" + name, "x");
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    f.mainWindow->show();
    f.mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.mainWindow.get()));
    if (!open.isEmpty()) f.commands.workFolder->openPickedEntry(open.toStdString());
    QCOMPARE(f.listed(), listed);

    // Tab from the text lands on a line, which loads nothing.
    const std::string text = f.text();
    f.mainWindow->textEdit->setFocus();
    QTest::keyClick(f.mainWindow->textEdit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.mainWindow->fileListBox));
    QListWidgetItem* line = f.mainWindow->fileListBox->currentItem();
    QCOMPARE(line ? line->text() : QString(), current);
    QCOMPARE(f.selected(), open);
    QCOMPARE(f.text(), text);
    QCOMPARE(f.mainWindow->fileListBox->row(line), current.isEmpty() ? -1 : int(listed.indexOf(current)));
}

// Enter and Space open the line the keyboard lands on, the first one too; Enter then returns
// to the text.
void WorkFolderTest::keyOpensCurrentLine_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("backInText");
    QTest::newRow("Enter") << int(Qt::Key_Return) << true;
    QTest::newRow("Enter of the keypad") << int(Qt::Key_Enter) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << false;
}

void WorkFolderTest::keyOpensCurrentLine() {
    QFETCH(int, key);
    QFETCH(bool, backInText);
    DocFixture f;
    for (const char* name : {"aula.vloq", "b.vloq"}) writeBytes(f.textos() + "/" + name, QByteArray("texto ") + name);
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    f.mainWindow->show();
    f.mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.mainWindow.get()));
    f.mainWindow->textEdit->setFocus();
    QTest::keyClick(f.mainWindow->textEdit, Qt::Key_Tab);
    QCOMPARE(f.mainWindow->fileListBox->currentItem()->text(), QString("aula.vloq"));
    QTest::keyClick(f.mainWindow->fileListBox, Qt::Key(key));
    QTRY_COMPARE(f.mainWindow->windowTitle(), QString("Velloq aula.vloq"));
    QCOMPARE(f.text(), std::string("texto aula.vloq"));
    QCOMPARE(f.selected(), QString("aula.vloq"));
    QCOMPARE(QApplication::focusWidget(),
             static_cast<QWidget*>(backInText ? static_cast<QWidget*>(f.mainWindow->textEdit) : f.mainWindow->fileListBox));
    QVERIFY(f.sink.calls.empty());
}

void WorkFolderTest::failedPickLeavesUntitled_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("reason");
    QTest::newRow("deleted after listing") << "a.vloq" << "arquivo ou pasta inexistente";
    QTest::newRow("a folder") << "sub.vloq" << "\xC3\xA9 uma pasta";
}

void WorkFolderTest::failedPickLeavesUntitled() {
    QFETCH(QString, entry);
    QFETCH(QString, reason);
    DocFixture f;
    writeBytes(f.textos() + "/a.vloq", "a");
    writeBytes(f.textos() + "/z.vloq", "z");
    QDir(f.textos()).mkdir("sub.vloq");
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    f.commands.documents->LoadDocument("z.vloq");
    QFile::remove(f.textos() + "/a.vloq");
    f.mainWindow->show();

    QListWidgetItem* item = f.mainWindow->fileListBox->findItems(entry, Qt::MatchExactly).value(0);
    QVERIFY(item);
    QTest::mouseClick(f.mainWindow->fileListBox->viewport(), Qt::LeftButton, {},
                      f.mainWindow->fileListBox->visualItemRect(item).center());
    QTRY_COMPARE(f.sink.calls.size(), size_t(1));
    QCOMPARE(f.sink.calls[0], show("Erro ao abrir o arquivo " + entry + ": " + reason));
    QCOMPARE(f.run().currentFile, std::string());
    QCOMPARE(f.mainWindow->windowTitle(), QString("Velloq"));
    QCOMPARE(f.selected(), QString());
    QCOMPARE(f.listed().contains("a.vloq"), false);
}

void WorkFolderTest::chooseFolder_data() {
    QTest::addColumn<QString>("typed");   // under the start folder; empty cancels
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("calls");  // "?" for the create question, else a message
    QTest::addColumn<bool>("opened");        // became the current work folder
    QTest::addColumn<bool>("templates");     // received the template copies
    QTest::newRow("empty folder gets the templates") << "nova" << true << true << QList<bool>{} << QStringList{} << true << true;
    QTest::newRow("folder with an entry gets nothing") << "cheia" << true << false << QList<bool>{} << QStringList{} << true << false;
    QTest::newRow("missing, created on Yes") << "criada" << false << false << QList<bool>{true} << QStringList{"?"} << true << true;
    QTest::newRow("missing, No ends inaccessible")
        << "nao" << false << false << QList<bool>{false} << QStringList{"?", "Pasta de trabalho %1 está inacessível"} << false << false;
    QTest::newRow("missing parent cannot be created")
        << "sem/pai" << false << false << QList<bool>{true} << QStringList{"?", "Pasta não pode ser criada"} << false << false;
    QTest::newRow("cancelled") << "" << false << false << QList<bool>{} << QStringList{} << false << false;
}

void WorkFolderTest::chooseFolder() {
    QFETCH(QString, typed);
    QFETCH(bool, exists);
    QFETCH(bool, empty);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, calls);
    QFETCH(bool, opened);
    QFETCH(bool, templates);
    DocFixture f;
    writeBytes(f.start + "/modeloMat.mdl", "modelo");
    writeBytes(f.start + "/instala.iss", "iss");
    writeBytes(f.start + "/.oculto.mdl", "x");
    QDir(f.start).mkdir("pasta.mdl");
    FolderChooser chooser;
    f.commands.workFolder->setFolderDialog(&chooser);
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    f.dialogs.shown.clear();
    const QString path = typed.isEmpty() ? QString() : f.start + "/" + typed;
    if (exists) QDir(f.start).mkdir(typed);
    if (exists && !empty) writeBytes(path + "/algo.txt", "x");
    f.sink.yesNo.assign(answers.begin(), answers.end());
    f.dialogs.answers.push_back(chooserTyping(path));

    f.trigger("chooseWorkFolder");

    QStringList expected;
    for (const QString& call : calls)
        expected << (call == "?" ? "AskYesNo: Confirmando criação da pasta " + path : "Show: " + call.arg(path));
    QStringList seen;
    for (const std::string& call : f.sink.calls) seen << QString::fromStdString(call);
    QCOMPARE(seen, expected);
    QCOMPARE(f.cwd(), opened ? path : f.textos());
    QCOMPARE(f.run().recentFolders[0], (opened ? path : f.textos()).toStdString());
    QCOMPARE(f.dialogs.shown.size(), size_t(opened ? 2 : 1));  // the chooser, then the information
    const QStringList copies = QDir(path).entryList({"*.mdl", "*.iss"}, QDir::AllEntries | QDir::Hidden);
    const QStringList expectedCopies = templates ? QStringList{"instala.iss", "modeloMat.mdl"} : QStringList{};
    QCOMPARE(copies, expectedCopies);
    if (!typed.isEmpty() && !calls.contains("Pasta não pode ser criada"))
        QCOMPARE(f.run().workFolder, path.toStdString());
}

void WorkFolderTest::reopen_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("opened");
    QTest::newRow("second entry") << 1 << false << true << "" << true;
    QTest::newRow("modified, Yes") << 1 << true << true << "" << true;
    QTest::newRow("modified, No") << 1 << true << false << "" << false;
    QTest::newRow("folder gone") << 2 << false << true << "Diretório não existe" << false;
    QTest::newRow("empty entry") << 3 << false << true << "Diretório não existe" << false;
}

void WorkFolderTest::reopen() {
    QFETCH(int, entry);
    QFETCH(bool, modified);
    QFETCH(bool, answer);
    QFETCH(QString, message);
    QFETCH(bool, opened);
    DocFixture f;
    const QString gone = f.start + "/sumiu", other = f.start + "/primeira & outra";
    for (const QString& folder : {gone, other, f.textos()}) {
        QDir().mkpath(folder);
        f.commands.workFolder->OpenWorkFolder(folder.toStdString());
    }
    QDir(gone).removeRecursively();
    emit f.mainWindow->findChild<QMenu*>("reopenMenu")->aboutToShow();
    QCOMPARE(f.mainWindow->action("recentFolder2")->text(), QString(f.start + "/primeira && outra"));
    if (modified) f.type("x");
    f.sink.yesNo = {answer};
    f.dialogs.shown.clear();

    f.trigger(QStringList{"recentFolder1", "recentFolder2", "recentFolder3", "recentFolder4", "recentFolder5"}[entry].toLatin1().constData());

    if (!message.isEmpty()) QCOMPARE(f.sink.calls.back(), show(message));
    QCOMPARE(f.dialogs.shown.size(), size_t(opened ? 1 : 0));
    QCOMPARE(f.text(), modified && !opened ? std::string("x") : std::string());
}

void WorkFolderTest::reopenSubmenuShowsHeldFolders_data() {
    QTest::addColumn<int>("opened");  // folders opened, one after the other
    QTest::addColumn<QStringList>("shown");  // the submenu's entries, most recent first
    QTest::newRow("none") << 0 << QStringList{"(nenhuma)"};
    QTest::newRow("one") << 1 << QStringList{"p1"};
    QTest::newRow("five") << 5 << QStringList{"p5", "p4", "p3", "p2", "p1"};
    QTest::newRow("six keep the last five") << 6 << QStringList{"p6", "p5", "p4", "p3", "p2"};
}

void WorkFolderTest::reopenSubmenuShowsHeldFolders() {
    QFETCH(int, opened);
    QFETCH(QStringList, shown);
    DocFixture f;
    for (int i = 1; i <= opened; ++i) {
        const QString folder = f.start + QStringLiteral("/p%1").arg(i);
        QDir().mkpath(folder);
        f.commands.workFolder->OpenWorkFolder(folder.toStdString());
    }
    auto* menu = f.mainWindow->findChild<QMenu*>("reopenMenu");
    emit menu->aboutToShow();
    QStringList captions;
    QList<QAction*> enabled;
    for (QAction* entry : menu->actions()) {
        if (!entry->isVisible()) continue;
        captions << entry->text().remove(f.start + "/");
        if (entry->isEnabled()) enabled << entry;
    }
    QCOMPARE(captions, shown);
    // Every entry shown opens its folder, and only the "(nenhuma)" line can do nothing.
    QCOMPARE(enabled.size(), opened == 0 ? 0 : shown.size());
    if (opened == 0) return;
    enabled.back()->trigger();
    QCOMPARE(f.cwd(), f.start + "/" + shown.back());
}

void WorkFolderTest::newFolderTakesAuthorAndContact() {
    DocFixture f;
    FolderChooser chooser;
    f.commands.workFolder->setFolderDialog(&chooser);
    const std::string section = settings::kSection;
    const std::string old = (f.textos() + "/velloq.ini").toStdString();
    profile::WriteString(old, section, "AUTOR", "Maria Souza");
    profile::WriteString(old, section, "CONTATO", "maria@escola.br");
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    const QString fresh = f.start + "/nova";
    QDir().mkpath(fresh);
    f.dialogs.answers.push_back(chooserTyping(fresh));
    f.trigger("chooseWorkFolder");
    QCOMPARE(f.cwd(), fresh);
    QCOMPARE(f.run().author, std::string("Maria Souza"));
    QCOMPARE(f.run().contact, std::string("maria@escola.br"));
    const std::string settings = (fresh + "/velloq.ini").toStdString();
    QCOMPARE(profile::ReadString(settings, section, "AUTOR", ""), std::string("Maria Souza"));
    QCOMPARE(profile::ReadString(settings, section, "CONTATO", ""), std::string("maria@escola.br"));
}

QTEST_MAIN(WorkFolderTest)
#include "workfolder_test.moc"
