// Every writer of the program goes through the one safe writer: each situation a file can be in
// (a full disk, a read-only folder, a sticky folder, a hard link, a symbolic link, a device, a
// pipe), met once by each caller's own entry point: saving a document, writing a page, writing
// a settings file, writing the recovery copy, and the start-folder tool.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QListWidget>
#include <QProcess>
#include <QScopeGuard>
#include <functional>

#include "docfixture.h"
#include "editor/documents/documents.h"
#include "editor/documents/recovery.h"
#include "generator/generator.h"
#include "platform/profile.h"

namespace {

const QStringList kSituations = {"full disk",     "read-only folder", "sticky folder", "hard link",
                                 "symbolic link", "device",           "pipe"};
const QStringList kCallers = {"document save", "page", "settings file", "recovery copy", "start-folder tool"};

// More than the block an old file takes, so that a full disk refuses it.
const std::string kNew = "novo " + std::string(9000, 'x');

const QByteArray kTemplate = "<<<CABE\xC7" "ALHO>>>\r\nH\r\n<<<FIM>>>\r\n<<<ASSINATURA>>>\r\nS\r\n";

QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
}

struct stat statusOf(const std::string& path, bool follow) {
    struct stat st{};
    if (follow) ::stat(path.c_str(), &st);
    else ::lstat(path.c_str(), &st);
    return st;
}

// One caller as the test drives it: the name it writes, its entry point (true when it wrote;
// the message it showed or printed), and whether content is the new one it writes.
struct Caller {
    std::string path;
    std::function<bool(std::string& message)> write;
    std::function<bool(const QByteArray& content)> isNew;
};

std::string shown(const ScriptedSink& sink) {
    std::string all;
    for (const std::string& call : sink.calls) all += call + "\n";
    return all;
}

// Takes away from a child program run as root the power to ignore permissions, which it would
// otherwise regain when it starts.
void withoutOverrideInChild() {
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) ::prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
}

// Makes the old file of caller in folder and gives the caller's entry point.
Caller prepare(const QString& caller, DocFixture& f, const QString& folder, std::unique_ptr<Recovery>& recovery) {
    const std::string dir = folder.toStdString();
    if (caller == "document save") {
        writeBytes(folder + "/aula.vloq", "velho\r\n");
        return {dir + "/aula.vloq",
                [&f, dir](std::string& message) {
                    f.mainWindow->textEdit->setPlainText(QString::fromStdString(kNew));
                    const bool ok = f.commands.documents->WriteDocument(dir + "/aula.vloq");
                    message = shown(f.sink);
                    return ok;
                },
                [](const QByteArray& content) { return content.toStdString() == kNew; }};
    }
    if (caller == "page") {
        writeBytes(folder + "/aula.htm", "pagina velha\r\n");
        writeBytes(f.start + "/modelo.mdl", kTemplate);
        writeBytes(f.start + "/aula.vloq", QByteArray::fromStdString("\r\n" + kNew + "\r\n"));
        f.run().templateFile = (f.start + "/modelo.mdl").toStdString();
        return {dir + "/aula.htm",
                [&f, dir](std::string& message) {
                    bool ok = false;
                    try {
                        ok = pagegen::GeneratePage((f.start + "/aula.vloq").toStdString(), dir + "/aula.htm",
                                                  f.run().PageSettings());
                    } catch (const safefile::FileError& error) {
                        message = error.what();
                    }
                    message += shown(f.sink);
                    return ok;
                },
                [](const QByteArray& content) { return content.toStdString() == "H\r\n" + kNew + "\r\nS\r\n"; }};
    }
    if (caller == "settings file") {
        writeBytes(folder + "/velloq.ini", "[VELLOQ]\r\nAUTOR=velho\r\n");
        return {dir + "/velloq.ini",
                [dir](std::string&) { return profile::WriteString(dir + "/velloq.ini", "VELLOQ", "AUTOR", kNew); },
                [](const QByteArray& content) { return content.toStdString() == "[VELLOQ]\r\nAUTOR=" + kNew + "\r\n"; }};
    }
    if (caller == "recovery copy") {
        recovery = std::make_unique<Recovery>(f.mainWindow->parts(), *f.commands.documents, dir);
        recovery->setDelays(3600 * 1000, 3600 * 1000);  // only WriteNow writes
        f.mainWindow->textEdit->setPlainText("velho");
        f.mainWindow->textEdit->document()->setModified(true);
        if (!recovery->WriteNow()) return {};
        Recovery* r = recovery.get();
        return {recovery->file(),
                [&f, r](std::string& message) {
                    f.mainWindow->textEdit->setPlainText(QString::fromStdString(kNew));
                    f.mainWindow->textEdit->document()->setModified(true);
                    const bool ok = r->WriteNow();
                    QCoreApplication::processEvents();  // the failure report is queued to this thread
                    message = shown(f.sink);
                    return ok;
                },
                [](const QByteArray& content) {
                    const auto copy = recovery::Parse(std::string_view(content.constData(), size_t(content.size())));
                    return copy && copy->text == QString::fromStdString(kNew);
                }};
    }
    writeBytes(folder + "/modelo.mdl", "modelo velho\r\n");
    writeBytes(f.start + "/fonte.mdl", QByteArray::fromStdString("novo @VELLOQ_MATHJAX@ " + kNew));
    return {dir + "/modelo.mdl",
            [&f, dir](std::string& message) {
                QProcess tool;
                tool.setChildProcessModifier(withoutOverrideInChild);
                tool.start(VELLOQ_INICIO, {"modelo", f.start + "/fonte.mdl", QString::fromStdString(dir + "/modelo.mdl"), f.start});
                const bool ran = tool.waitForFinished(60000);
                message = tool.readAllStandardError().toStdString();
                return ran && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
            },
            [](const QByteArray& content) {
                return content.startsWith("novo file://") && content.toStdString().ends_with(" " + kNew);
            }};
}

// Puts the old file at path in folder into the situation.
void setScene(const QString& situation, const std::string& path, const QString& folder, const QString& start) {
    const QByteArray dir = QFile::encodeName(folder);
    if (situation == "full disk") {
        const int fd = ::open((dir + "/cheio").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const std::string block(4096, 'x');
        while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
    } else if (situation == "read-only folder") {
        QVERIFY(::chmod(path.c_str(), 0666) == 0);
        QVERIFY(::chmod(dir, 0555) == 0);
    } else if (situation == "sticky folder") {
        // Another user's file in another user's sticky folder, that the user may write; where
        // the test may give nothing away, both stay the user's own.
        if (::chown(path.c_str(), 4321, ::getegid()) != 0 || ::chown(dir, 4321, gid_t(-1)) != 0) {
        }
        QVERIFY(::chmod(path.c_str(), 0666) == 0);
        QVERIFY(::chmod(dir, 01777) == 0);
    } else if (situation == "hard link") {
        QVERIFY(::link(path.c_str(), QFile::encodeName(start + "/outro").constData()) == 0);
    } else if (situation == "symbolic link") {
        const QByteArray real = QFile::encodeName(start + "/alvo");
        QVERIFY(::rename(path.c_str(), real.constData()) == 0);
        QVERIFY(::symlink(real.constData(), path.c_str()) == 0);
    } else if (situation == "device") {
        QVERIFY(::unlink(path.c_str()) == 0);
        QVERIFY(::symlink("/dev/null", path.c_str()) == 0);
    } else if (situation == "pipe") {
        QVERIFY(::unlink(path.c_str()) == 0);
        QVERIFY(::mkfifo(path.c_str(), 0600) == 0);
    }
}

}  // namespace

class WritersTest : public QObject {
    Q_OBJECT
private slots:
    void everySituation_data();
    void everySituation();
};

void WritersTest::everySituation_data() {
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("reason");  // in the message of a caller that shows one
    for (const QString& situation : kSituations) {
        for (const QString& caller : kCallers) {
            // Pages, and the start folder's pages, may go to a device as they come.
            const bool throughDevice = caller == "page" || caller == "start-folder tool";
            const bool written = situation != "full disk" && situation != "pipe" && (situation != "device" || throughDevice);
            QString reason;
            if (caller == "start-folder tool") reason = QString::fromUtf8("n\xC3\xA3o consegui gravar");
            else if (caller == "settings file") reason = QString();
            else if (situation == "full disk") reason = QString::fromUtf8("n\xC3\xA3o h\xC3\xA1 espa\xC3\xA7o no disco");
            else if (situation == "pipe" && caller == "page") reason = QString::fromUtf8("ningu\xC3\xA9m l\xC3\xAA deste canal");
            else reason = QString::fromUtf8("n\xC3\xA3o \xC3\xA9 um arquivo comum");
            QTest::addRow("%s, %s", qPrintable(situation), qPrintable(caller))
                << caller << situation << written << (written ? QString() : reason);
        }
    }
}

void WritersTest::everySituation() {
    QFETCH(QString, caller);
    QFETCH(QString, situation);
    QFETCH(bool, written);
    QFETCH(QString, reason);
    DocFixture f;
    const QString folder = f.start + "/pasta";
    QDir().mkpath(folder);
    const QByteArray dir = QFile::encodeName(folder);
    const bool smallDisk = situation == "full disk";
    if (smallDisk && ::mount("velloq-teste", dir.constData(), "tmpfs", 0, "size=64k,mode=0755") != 0)
        QSKIP("the system lets this test mount no file system");
    std::unique_ptr<Recovery> recovery;
    const auto cleanUp = qScopeGuard([&] {
        ::chmod(dir.constData(), 0755);
        recovery.reset();
        if (smallDisk) ::umount2(dir.constData(), MNT_DETACH);
    });
    const Caller c = prepare(caller, f, folder, recovery);
    QVERIFY(!c.path.empty());
    const QByteArray old = readBytes(QString::fromStdString(c.path));
    setScene(situation, c.path, folder, f.start);
    if (QTest::currentTestFailed()) return;
    const struct stat before = statusOf(c.path, true);
    const QStringList names = namesIn(folder);

    std::string message;
    bool ok = false;
    {
        WithoutPermissionOverride asUser;
        ok = c.write(message);
    }
    ::chmod(dir.constData(), 0755);

    QCOMPARE(ok, written);
    QVERIFY2(message.find(reason.toStdString()) != std::string::npos, message.c_str());
    if (written) QVERIFY2(caller == "start-folder tool" || message.empty(), message.c_str());
    QCOMPARE(namesIn(folder), names);  // no new file is left behind, whatever the outcome
    const struct stat after = statusOf(c.path, true);
    const struct stat name = statusOf(c.path, false);
    if (situation == "device") QVERIFY(S_ISLNK(name.st_mode) && S_ISCHR(after.st_mode));
    if (situation == "pipe") QVERIFY(S_ISFIFO(name.st_mode));
    if (!S_ISREG(after.st_mode)) return;

    const QByteArray content = readBytes(QString::fromStdString(c.path));
    if (!written) {
        QCOMPARE(content, old);
        return;
    }
    QVERIFY(c.isNew(content));
    // The file is the same one where a new file could not take its place or its other names
    // must see the new content.
    if (situation == "read-only folder" || situation == "hard link") QCOMPARE(after.st_ino, before.st_ino);
    if (situation == "sticky folder") QCOMPARE(after.st_ino == before.st_ino, before.st_uid != ::geteuid());
    if (situation == "hard link") QVERIFY(c.isNew(readBytes(f.start + "/outro")));
    if (situation == "symbolic link") QVERIFY(S_ISLNK(name.st_mode));
    // A recovery copy holds unsaved text: it is the user's alone, whatever mode it had (only
    // another user's file keeps its mode, which the user cannot change).
    if (caller == "recovery copy" && before.st_uid == ::geteuid())
        QCOMPARE(after.st_mode, mode_t(S_IFREG | 0600));
    else
        QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
}

QTEST_MAIN(WritersTest)
#include "writers_test.moc"
