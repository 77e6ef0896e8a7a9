// Document commands on real files: save-as names, the state table of new, open and save, the
// two questions on leaving, the byte-exact text format, and failures that must lose nothing.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QListWidget>
#include <QScopeGuard>
#include <QTextBlock>
#include <QWindow>
#include <csignal>

#include "docfixture.h"
#include "editor/documents/documents.h"
#include "editor/workfolder/filelist.h"

namespace {

const std::string kDrop = "AskYesNo: Confirmando apagamento geral";
const std::string kLoad = std::string("AskYesNo: ") + kLoadAnother;

// The folder's entries that are not expected: left-over temporary files.
QStringList strays(const QString& folder, const QStringList& expected) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : expected) names.removeAll(name);
    return names;
}

struct stat fileStatus(const QString& path) {
    struct stat st{};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

// Makes bytes the file at path and opens it with "&Abrir texto".
void openThroughDialog(DocFixture& f, const QString& path, const QByteArray& bytes) {
    writeBytes(path, bytes);
    f.dialogs.chooseFile(path);
    f.trigger("openFile");
}

// Mounts a file system of 64 KB, seen by this test process only, on folder; false where the
// system lets the test mount nothing.
bool mountSmallDisk(const QString& folder) {
    QDir().mkpath(folder);
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("velloq-teste", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k,mode=0700") == 0;
}

// Fills the file system of folder with the file "cheio" until no block is left.
void fillDisk(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder + "/cheio").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const std::string block(4096, 'x');
    while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
}

}  // namespace

class DocumentsTest : public QObject {
    Q_OBJECT
private slots:
    void saveAsNames_data();
    void saveAsNames();
    void saveAsAppendedNameExists_data();
    void saveAsAppendedNameExists();
    void commandStates_data();
    void commandStates();
    void leaving_data();
    void leaving();
    void textFormatRoundTrip_data();
    void textFormatRoundTrip();
    void failedSaveLosesNothing_data();
    void failedSaveLosesNothing();
    void failedLoadLeavesUntitled_data();
    void failedLoadLeavesUntitled();
    void encodingRoundTrip_data();
    void encodingRoundTrip();
    void saveKeepsTheFile_data();
    void saveKeepsTheFile();
    void tooLargeKeepsTheText_data();
    void tooLargeKeepsTheText();
    void undoingIsAChange();
    void captionShowsTheWholeName();
};

void DocumentsTest::saveAsNames_data() {
    QTest::addColumn<QString>("typed");    // under the start folder
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("selected");  // in the file list afterwards
    QTest::newRow("no dot") << "textos/aula" << "textos/aula.vloq" << "aula.vloq";
    QTest::newRow("other extension") << "textos/estilo.css" << "textos/estilo.css" << "";
    QTest::newRow("dot in the folder only") << "d.x/aula" << "d.x/aula.vloq" << "aula.vloq";
    QTest::newRow("dot starting the name") << "textos/.oculto" << "textos/.oculto" << "";
    QTest::newRow("upper-case extension") << "textos/A.VLOQ" << "textos/A.VLOQ" << "";
}

void DocumentsTest::saveAsNames() {
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QString, selected);
    DocFixture f;
    QDir(f.start).mkdir("d.x");
    f.type("um\rdois");
    f.dialogs.chooseFile(f.start + "/" + typed);
    f.trigger("saveAs");

    QCOMPARE(readBytes(f.start + "/" + written), QByteArray("um\r\ndois"));
    QCOMPARE(f.mainWindow->windowTitle(), "Velloq " + f.start + "/" + written);
    QCOMPARE(f.run().currentFile, (f.start + "/" + written).toStdString());
    QVERIFY(!f.modified());
    QCOMPARE(f.cwd(), QFileInfo(f.start + "/" + typed).absolutePath());
    QCOMPARE(f.selected(), selected);
    QCOMPARE(f.dialogs.openedIn, QStringList{f.start});
}

void DocumentsTest::saveAsAppendedNameExists_data() {
    QTest::addColumn<bool>("replace");
    QTest::newRow("Yes replaces") << true;
    QTest::newRow("No keeps the old file") << false;
}

void DocumentsTest::saveAsAppendedNameExists() {
    QFETCH(bool, replace);
    DocFixture f;
    writeBytes(f.textos() + "/aula.vloq", "velho");
    f.type("novo");
    f.sink.yesNo = {replace};
    f.dialogs.chooseFile(f.textos() + "/aula");
    f.trigger("saveAs");
    QCOMPARE(f.sink.calls.size(), size_t(1));
    QCOMPARE(readBytes(f.textos() + "/aula.vloq"), replace ? QByteArray("novo") : QByteArray("velho"));
    QCOMPARE(f.modified(), !replace);
    QCOMPARE(f.run().currentFile.empty(), !replace);
}

void DocumentsTest::commandStates_data() {
    QTest::addColumn<bool>("titled");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("asked");  // questions and dialogs, in order
    QTest::addColumn<bool>("textKept");
    QTest::addColumn<bool>("titledAfter");
    QTest::addColumn<bool>("modifiedAfter");
    const QString drop = QString::fromStdString(kDrop), load = QString::fromStdString(kLoad);
    QTest::newRow("new, clean") << true << false << "newPage" << true << QStringList{} << false << false << false;
    QTest::newRow("new, modified, Yes") << true << true << "newPage" << true << QStringList{drop} << false << false << false;
    QTest::newRow("new, modified, No keeps the text untitled")
        << true << true << "newPage" << false << QStringList{drop} << true << false << true;
    QTest::newRow("save untitled, dialog cancelled")
        << false << true << "save" << true << QStringList{"saveDialog"} << true << false << true;
    QTest::newRow("save titled") << true << true << "save" << true << QStringList{} << true << true << false;
    QTest::newRow("open, modified, No") << true << true << "openFile" << false << QStringList{load} << true << true << true;
    QTest::newRow("open, modified, Yes, dialog cancelled")
        << true << true << "openFile" << true << QStringList{load, "openDialog"} << true << true << true;
    QTest::newRow("open, clean, dialog cancelled")
        << true << false << "openFile" << true << QStringList{"openDialog"} << true << true << false;
}

void DocumentsTest::commandStates() {
    QFETCH(bool, titled);
    QFETCH(bool, modified);
    QFETCH(QString, entry);
    QFETCH(bool, answer);
    QFETCH(QStringList, asked);
    QFETCH(bool, textKept);
    QFETCH(bool, titledAfter);
    QFETCH(bool, modifiedAfter);
    DocFixture f;
    const QString file = f.textos() + "/aula.vloq";
    writeBytes(file, "texto");
    if (titled) QVERIFY(f.commands.documents->LoadDocument(file.toStdString()));
    if (modified) f.type("mais ");
    const std::string before = f.text();
    f.sink.yesNo = {answer};

    f.trigger(entry.toLatin1().constData());

    QStringList seen;
    for (const std::string& call : f.sink.calls) seen << QString::fromStdString(call);
    for (const std::string& dialog : f.dialogs.shown) seen << QString::fromStdString(dialog);
    QCOMPARE(seen, asked);
    QCOMPARE(f.text(), textKept ? before : std::string());
    QCOMPARE(f.run().currentFile, titledAfter ? file.toStdString() : std::string());
    QCOMPARE(f.mainWindow->windowTitle(), titledAfter ? "Velloq " + file : QString("Velloq"));
    QCOMPARE(f.modified(), modifiedAfter);
    QCOMPARE(readBytes(file), entry == "save" && titled ? QByteArray::fromStdString(before) : QByteArray("texto"));
}

void DocumentsTest::leaving_data() {
    QTest::addColumn<bool>("byMenu");  // "&Terminar", else the window frame
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closed");
    QTest::newRow("menu, clean") << true << false << QList<bool>{} << 0 << true;
    // One question: a quit already confirmed closes the window without asking again.
    QTest::newRow("menu, Yes") << true << true << QList<bool>{true} << 1 << true;
    QTest::newRow("menu, Yes, a No left unasked") << true << true << QList<bool>{true, false} << 1 << true;
    QTest::newRow("menu, No") << true << true << QList<bool>{false} << 1 << false;
    QTest::newRow("frame, Yes") << false << true << QList<bool>{true} << 1 << true;
    QTest::newRow("frame, No") << false << true << QList<bool>{false} << 1 << false;
}

void DocumentsTest::leaving() {
    QFETCH(bool, byMenu);
    QFETCH(bool, modified);
    QFETCH(QList<bool>, answers);
    QFETCH(int, questions);
    QFETCH(bool, closed);
    DocFixture f;
    f.mainWindow->show();
    if (modified) f.type("algo");
    f.sink.yesNo.assign(answers.begin(), answers.end());
    if (byMenu) f.trigger("quit");
    else f.mainWindow->close();
    QCOMPARE(int(f.sink.calls.size()), questions);
    if (!byMenu && questions == 1)
        QCOMPARE(f.sink.calls.back(), std::string("AskYesNo: Termina o programa sem salvar a edi\xC3\xA7\xC3\xA3o?"));
    if (byMenu && questions >= 1) QCOMPARE(f.sink.calls.front(), std::string("AskYesNo: Texto foi alterado, sai sem salvar?"));
    QCOMPARE(f.mainWindow->isVisible(), !closed);
    QCOMPARE(f.text(), modified ? std::string("algo") : std::string());
    // After a quit turned down, or a closed window shown again, closing still asks.
    if (byMenu && questions == 1) {
        f.mainWindow->show();
        f.sink.calls.clear();
        f.sink.yesNo.assign({false});
        f.mainWindow->close();
        QCOMPARE(f.sink.calls, std::vector<std::string>{"AskYesNo: Termina o programa sem salvar a edi\xC3\xA7\xC3\xA3o?"});
        QVERIFY(f.mainWindow->isVisible());
    }
}

void DocumentsTest::textFormatRoundTrip_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("saved");
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') every += char(b);
    QTest::newRow("every byte but CR and LF") << every + "\r\n" + every << every + "\r\n" + every;
    QTest::newRow("lone LF and lone CR") << QByteArray("a\nb\rc\r\n") << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb");
    QTest::newRow("no end after the last line") << QByteArray("a\r\nb") << QByteArray("a\r\nb");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
}

void DocumentsTest::textFormatRoundTrip() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, saved);
    DocFixture f;
    openThroughDialog(f, f.textos() + "/rt.vloq", file);
    QVERIFY(!f.modified());
    f.trigger("save");
    QCOMPARE(readBytes(f.textos() + "/rt.vloq"), saved);
}

void DocumentsTest::failedSaveLosesNothing_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("read-only file") << "read-only file";
    QTest::newRow("read-only folder and file") << "read-only folder, read-only file";
    QTest::newRow("full disk") << "full disk";
    QTest::newRow("folder gone") << "folder gone";
    // Written in place: the old text goes back when the new one does not fit.
    QTest::newRow("read-only folder, full disk") << "read-only folder, full disk";
    QTest::newRow("two hard links, full disk") << "hard link, full disk";
    // A real full disk, where the system allows the test a file system of its own.
    QTest::newRow("small disk filled") << "small disk filled";
    QTest::newRow("read-only folder, small disk filled") << "read-only folder, small disk filled";
}

void DocumentsTest::failedSaveLosesNothing() {
    QFETCH(QString, fault);
    DocFixture f;
    const QString folder = f.start + "/docs", file = folder + "/aula.vloq";
    const bool smallDisk = fault.endsWith("small disk filled");
    if (smallDisk && !mountSmallDisk(folder)) QSKIP("the system lets this test mount no file system");
    const auto unmount = qScopeGuard([&] {
        if (smallDisk) ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    });
    writeBytes(file, "antigo\r\n");
    QVERIFY(f.commands.documents->LoadDocument(file.toStdString()));
    f.type("novo texto bem mais longo que o antigo ");
    // More than the block that the old text takes.
    if (smallDisk) f.mainWindow->textEdit->insertPlainText(QString(5000, 'x'));
    const std::string typed = f.text();
    if (smallDisk) fillDisk(folder);

    const QString otherName = f.start + "/outro.vloq";
    if (fault.startsWith("hard link")) QVERIFY(::link(QFile::encodeName(file), QFile::encodeName(otherName)) == 0);
    WithoutPermissionOverride asUser;
    rlimit savedLimit{};
    ::getrlimit(RLIMIT_FSIZE, &savedLimit);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    if (fault.contains("read-only file")) QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup);
    if (fault.startsWith("read-only folder")) QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    if (fault == "folder gone") QDir(folder).removeRecursively();
    if (fault.endsWith("full disk")) {
        rlimit small = savedLimit;
        small.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    f.trigger("save");
    ::setrlimit(RLIMIT_FSIZE, &savedLimit);
    std::signal(SIGXFSZ, savedSignal);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(f.sink.calls.size(), size_t(1));
    QVERIFY2(f.sink.calls[0].rfind("Show: Erro ao gravar o arquivo " + file.toStdString() + ": ", 0) == 0,
             f.sink.calls[0].c_str());
    QVERIFY(f.modified());
    QCOMPARE(f.text(), typed);
    if (smallDisk) QVERIFY2(f.sink.calls[0].ends_with(": n\xC3\xA3o h\xC3\xA1 espa\xC3\xA7o no disco"), f.sink.calls[0].c_str());
    QCOMPARE(readBytes(file), fault == "folder gone" ? QByteArray("<missing>") : QByteArray("antigo\r\n"));
    if (fault.startsWith("hard link")) QCOMPARE(readBytes(otherName), QByteArray("antigo\r\n"));
    QCOMPARE(strays(folder, {"aula.vloq", "cheio"}), QStringList());
}

void DocumentsTest::failedLoadLeavesUntitled_data() {
    QTest::addColumn<QString>("pick");  // under textos
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder") << "pasta.vloq" << "\xC3\xA9 uma pasta";
    QTest::newRow("a file that is gone") << "sumiu.vloq" << "arquivo ou pasta inexistente";
    QTest::newRow("an unreadable file") << "fechado.vloq" << "permiss\xC3\xA3o negada";
}

void DocumentsTest::failedLoadLeavesUntitled() {
    QFETCH(QString, pick);
    QFETCH(QString, reason);
    DocFixture f;
    QDir(f.textos()).mkdir("pasta.vloq");
    writeBytes(f.textos() + "/fechado.vloq", "segredo");
    QFile::setPermissions(f.textos() + "/fechado.vloq", QFileDevice::Permissions());
    writeBytes(f.textos() + "/antes.vloq", "antes");
    QVERIFY(f.commands.documents->LoadDocument((f.textos() + "/antes.vloq").toStdString()));

    f.commands.list->RefreshFileList("antes.vloq");
    const QStringList listedBefore = f.listed();

    WithoutPermissionOverride asUser;
    f.dialogs.chooseFile(f.textos() + "/" + pick);
    f.trigger("openFile");
    QCOMPARE(f.listed(), listedBefore);
    QCOMPARE(f.sink.calls, std::vector<std::string>{"Show: Erro ao abrir o arquivo " + (f.textos() + "/" + pick).toStdString() + ": " + reason.toStdString()});
    QCOMPARE(f.run().currentFile, std::string());
    QCOMPARE(f.mainWindow->windowTitle(), QString("Velloq"));
    QCOMPARE(f.text(), std::string());

    // A later save asks for a name instead of writing over the file that failed.
    f.trigger("save");
    QCOMPARE(f.dialogs.shown.back(), std::string("saveDialog"));
    QCOMPARE(readBytes(f.textos() + "/antes.vloq"), QByteArray("antes"));
}

// A document is saved in the encoding it was read in: UTF-8 stays UTF-8, byte for byte where
// the text is unchanged; anything that is not UTF-8 with a multi-byte character is
// Windows-1252, as a new text is.
void DocumentsTest::encodingRoundTrip_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown");  // the editor's first line
    QTest::addColumn<QString>("edit");   // replaces the second line
    QTest::addColumn<QByteArray>("saved");
    const QString edited = QString::fromUtf8("\xE2\x89\xA4 e \xF0\x9F\x98\x80 e \xC3\xA7");  // ≤, an emoji, ç
    QTest::newRow("UTF-8, CR LF")
        << QByteArray("T\xC3\xADtulo: Fun\xC3\xA7\xC3\xB5" "es\r\nvelha\r\n\xF0\x9F\x98\x80 fim\r\n")
        << QString::fromUtf8("T\xC3\xADtulo: Fun\xC3\xA7\xC3\xB5" "es") << edited
        << QByteArray("T\xC3\xADtulo: Fun\xC3\xA7\xC3\xB5" "es\r\n\xE2\x89\xA4 e \xF0\x9F\x98\x80 e \xC3\xA7\r\n\xF0\x9F\x98\x80 fim\r\n");
    QTest::newRow("UTF-8, LF only keeps LF")
        << QByteArray("T\xC3\xADtulo\nvelha\nfim") << QString::fromUtf8("T\xC3\xADtulo") << QString("nova")
        << QByteArray("T\xC3\xADtulo\nnova\nfim");
    QTest::newRow("UTF-8, mixed line ends become CR LF")
        << QByteArray("\xC3\xA9\nvelha\r\nfim\r") << QString::fromUtf8("\xC3\xA9") << QString("nova")
        << QByteArray("\xC3\xA9\r\nnova\r\nfim\r\n");
    QTest::newRow("UTF-8 with a byte-order mark keeps it")
        << QByteArray("\xEF\xBB\xBF" "a\r\nvelha") << QString("a") << QString("nova")
        << QByteArray("\xEF\xBB\xBF" "a\r\nnova");
    QTest::newRow("Windows-1252, a missing character as a reference")
        << QByteArray("T\xEDtulo\r\nvelha") << QString::fromUtf8("T\xC3\xADtulo") << edited
        << QByteArray("T\xEDtulo\r\n&#8804; e &#128512; e \xE7");
    QTest::newRow("UTF-8 and a stray byte: Windows-1252")
        << QByteArray("\xC3\xA9 e \xE9\r\nvelha") << QString::fromUtf8("\xC3\x83\xC2\xA9 e \xC3\xA9") << QString("nova")
        << QByteArray("\xC3\xA9 e \xE9\r\nnova");
    QTest::newRow("UTF-8 cut at the end: Windows-1252")
        << QByteArray("a\r\nvelha \xC3") << QString("a") << QString("nova") << QByteArray("a\r\nnova");
    QTest::newRow("ASCII only: Windows-1252 with CR LF")
        << QByteArray("abc\nvelha") << QString("abc") << edited << QByteArray("abc\r\n&#8804; e &#128512; e \xE7");
}

void DocumentsTest::encodingRoundTrip() {
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    QFETCH(QString, edit);
    QFETCH(QByteArray, saved);
    DocFixture f;
    openThroughDialog(f, f.textos() + "/rt.vloq", file);
    QCOMPARE(f.mainWindow->textEdit->document()->firstBlock().text(), shown);
    QTextCursor line(f.mainWindow->textEdit->document()->findBlockByNumber(1));
    line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    line.insertText(edit);
    f.trigger("save");
    QCOMPARE(readBytes(f.textos() + "/rt.vloq"), saved);

    // Under a new name the text keeps its encoding; a new text is Windows-1252 again.
    f.dialogs.chooseFile(f.textos() + "/copia.vloq");
    f.trigger("saveAs");
    QCOMPARE(readBytes(f.textos() + "/copia.vloq"), saved);
    f.trigger("newPage");
    f.type("x");
    f.mainWindow->textEdit->insertPlainText(QString::fromUtf8("\xE2\x89\xA4 e \xF0\x9F\x98\x80"));
    f.dialogs.chooseFile(f.textos() + "/novo.vloq");
    f.trigger("save");  // untitled: asks for a name
    QCOMPARE(readBytes(f.textos() + "/novo.vloq"), QByteArray("x&#8804; e &#128512;"));
}

// Saving keeps the file that the document is: its other names, its link, its permissions and
// owner, also where its folder takes no new file.
void DocumentsTest::saveKeepsTheFile_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("inPlace");  // the same file (inode) afterwards
    QTest::newRow("read-only folder, writable file") << "read-only folder" << true;
    QTest::newRow("two hard links") << "hard link" << true;
    QTest::newRow("symbolic link") << "symbolic link" << false;
    QTest::newRow("permissions and owner") << "owner" << false;
    QTest::newRow("read-only folder, permissions and owner") << "read-only folder, owner" << true;
    // Only a file's owner may replace it in a sticky folder.
    QTest::newRow("another user's file in a sticky folder") << "sticky folder, owner" << true;
}

void DocumentsTest::saveKeepsTheFile() {
    QFETCH(QString, situation);
    QFETCH(bool, inPlace);
    DocFixture f;
    const QString folder = f.start + "/docs", file = folder + "/aula.vloq";
    const QString otherName = f.start + "/outro.vloq", link = f.start + "/atalho.vloq";
    const QByteArray fileName = QFile::encodeName(file);
    writeBytes(file, "um texto antigo e comprido\r\n");
    QVERIFY(::chmod(fileName, 0640) == 0);
    if (situation.contains("owner")) {
        // Another user's file that the user may write through the group.
        if (::chown(fileName, 4321, ::getegid()) != 0) {
            // Only an administrator may give a file away: then it stays the user's own.
        }
        QVERIFY(::chmod(fileName, 0660) == 0);
    }
    if (situation == "hard link") QVERIFY(::link(fileName, QFile::encodeName(otherName)) == 0);
    if (situation == "symbolic link") QVERIFY(QFile::link(file, link));
    const struct stat before = fileStatus(file);
    const QString opened = situation == "symbolic link" ? link : file;
    QVERIFY(f.commands.documents->LoadDocument(opened.toStdString()));
    f.type("novo ");

    WithoutPermissionOverride asUser;
    if (situation.startsWith("read-only folder")) QVERIFY(::chmod(QFile::encodeName(folder), 0500) == 0);
    if (situation.startsWith("sticky folder")) {
        QVERIFY(::chmod(QFile::encodeName(folder), 01777) == 0);
        if (::chown(QFile::encodeName(folder), 4321, gid_t(-1)) != 0) {
            // Only an administrator may give the folder away; it stays the user's own.
        }
        // A file that stayed the user's own is simply replaced.
        inPlace = before.st_uid != ::geteuid();
    }
    f.trigger("save");
    ::chmod(QFile::encodeName(folder), 0700);

    const QByteArray expected("novo um texto antigo e comprido\r\n");
    QCOMPARE(f.sink.calls, std::vector<std::string>{});
    QVERIFY(!f.modified());
    QCOMPARE(readBytes(file), expected);
    const struct stat after = fileStatus(file);
    QCOMPARE(after.st_ino == before.st_ino, inPlace);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    if (situation == "hard link") QCOMPARE(readBytes(otherName), expected);
    if (situation == "symbolic link") {
        QVERIFY(S_ISLNK(fileStatus(link).st_mode));
        QCOMPARE(f.run().currentFile, link.toStdString());
    }
    QCOMPARE(strays(folder, {"aula.vloq"}), QStringList());
}

// A file too large to edit (sparse here, so that the test costs no disk) is refused before it
// is read: the editor keeps its text, name, flag and folder, and a later save writes that text
// where it came from.
void DocumentsTest::tooLargeKeepsTheText_data() {
    QTest::addColumn<qint64>("size");
    QTest::newRow("one byte over the bound") << qint64(doctext::kMaxDocumentBytes + 1);
    QTest::newRow("a hundred gigabytes") << (qint64(100) << 30);
}

void DocumentsTest::tooLargeKeepsTheText() {
    QFETCH(qint64, size);
    DocFixture f;
    const QString huge = f.start + "/grandes/enorme.vloq";
    QDir(f.start).mkdir("grandes");
    QFile sparse(huge);
    QVERIFY(sparse.open(QIODevice::WriteOnly));
    QVERIFY(sparse.resize(size));
    sparse.close();
    writeBytes(f.textos() + "/antes.vloq", "antes");
    QDir::setCurrent(f.textos());
    QVERIFY(f.commands.documents->LoadDocument("antes.vloq"));
    f.type("mais ");

    f.sink.yesNo = {true};
    f.dialogs.chooseFile(huge);
    f.trigger("openFile");
    QCOMPARE(f.sink.calls.back(), "Show: O arquivo " + huge.toStdString() +
                                      " \xC3\xA9 grande demais para editar: o limite \xC3\xA9 de 256 MB. O texto atual continua no editor.");
    QCOMPARE(f.text(), std::string("mais antes"));
    QVERIFY(f.modified());
    QCOMPARE(f.run().currentFile, std::string("antes.vloq"));
    QCOMPARE(f.mainWindow->windowTitle(), QString("Velloq antes.vloq"));
    QCOMPARE(f.cwd(), f.textos());

    f.trigger("save");
    QCOMPARE(readBytes(f.textos() + "/antes.vloq"), QByteArray("mais antes"));
}

// Undoing back to the text on disk still counts as a change: the file may have changed since.
// Loading, saving and a new text are what clear the flag.
void DocumentsTest::undoingIsAChange() {
    DocFixture f;
    writeBytes(f.textos() + "/u.vloq", "disco");
    f.dialogs.chooseFile(f.textos() + "/u.vloq");
    f.trigger("openFile");
    f.type("x");
    f.trigger("undo");
    QCOMPARE(f.text(), std::string("disco"));
    QVERIFY(f.modified());
    f.trigger("save");
    QVERIFY(!f.modified());
    f.type("y");
    f.sink.yesNo = {true};
    f.trigger("newPage");
    QVERIFY(!f.modified());
}

// "[*]" in a window title is where the window system puts a modified mark; a file name that
// holds it is still shown whole.
void DocumentsTest::captionShowsTheWholeName() {
    DocFixture f;
    const QString file = f.textos() + "/a[*]b.vloq";
    writeBytes(file, "t");
    f.dialogs.chooseFile(file);
    f.trigger("openFile");
    f.mainWindow->winId();  // the title the window system gets
    QCOMPARE(f.mainWindow->windowHandle()->title(), "Velloq " + file);
}

QTEST_MAIN(DocumentsTest)
#include "documents_test.moc"
