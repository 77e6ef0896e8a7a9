// The recovery copy of unsaved text: written after a pause and removed by a save, a drop on
// purpose or a normal exit; left by an editor that is killed and offered at the next start;
// written at once when the session ends; one per running editor; damaged files passed over
// in silence; a read-only state folder stops neither typing nor saving.
//
// Run with "--editor" this program is instead an editor for the tests to kill (see runEditor).
#include <fcntl.h>
#include <sys/stat.h>

#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "docfixture.h"
#include "postedevents.h"
#include "editor/documents/documents.h"
#include "editor/documents/recovery.h"
#include "editor/documents/sessionend.h"

namespace {

constexpr int kPause = 30;  // milliseconds of quiet before a copy is written, in these tests

// The copies in folder, by name.
QStringList copiesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("velloq-*.vrec")}, QDir::Files);
}
QStringList asideIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("recusado-*")}, QDir::Files);
}

std::optional<recovery::Copy> copyIn(const std::string& file) {
    const QByteArray bytes = readBytes(QString::fromStdString(file));
    return recovery::Parse(std::string_view(bytes.constData(), size_t(bytes.size())));
}

// A copy as an ended editor leaves it, written straight into folder.
void leaveCopy(const QString& folder, const QString& name, const recovery::Copy& copy) {
    const std::string bytes = recovery::Serialize(copy);
    writeBytes(folder + "/" + name, QByteArray(bytes.data(), qsizetype(bytes.size())));
}

// An editor window with its commands and its recovery copy in folder.
struct Editor {
    explicit Editor(const QString& folder)
        : recovery(std::make_unique<Recovery>(f.mainWindow->parts(), *f.commands.documents, folder.toStdString())) {
        recovery->setDelays(kPause, 10 * kPause);
    }
    DocFixture f;
    std::unique_ptr<Recovery> recovery;
};

// Another editor process on folder, started by this test (see runEditor); empty document for
// an untitled text.
struct ChildEditor {
    ChildEditor(const QString& start, const QString& folder, int pauseMs, const QString& document, const QString& text) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--editor"), start, folder, QString::number(pauseMs), document, text});
    }
    ~ChildEditor() {
        if (process.state() != QProcess::NotRunning) {
            ::kill(pid_t(process.processId()), SIGKILL);
            process.waitForFinished(5000);
        }
    }
    // True once the child says its text is in place (and its copy written, when it writes
    // copies after a pause).
    bool ready() {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(10000)) return false;
        return process.readLine().startsWith("pronto");
    }
    // Sends signal and waits for the child to end; the signal that ended it, or 0.
    int endWith(int signal) {
        ::kill(pid_t(process.processId()), signal);
        if (!process.waitForFinished(10000)) return 0;
        return process.exitStatus() == QProcess::CrashExit ? process.exitCode() : 0;
    }
    QProcess process;
};

}  // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void init() { state_ = std::make_unique<QTemporaryDir>(); }
    void folderFromEnvironment_data();
    void folderFromEnvironment();
    void fileFormat_data();
    void fileFormat();
    void copyComesAndGoes_data();
    void copyComesAndGoes();
    void killedEditorIsOffered_data();
    void killedEditorIsOffered();
    void sessionEndWritesAtOnce_data();
    void sessionEndWritesAtOnce();
    void restoredDocumentKeepsItsFormat();
    void twoEditorsKeepTwoCopies();
    void damagedFilesPassedOver();
    void refusedCopiesKeepTheLastThree();
    void readOnlyFolderStopsNothing();
    void leftTemporaryFilesRemoved_data();
    void leftTemporaryFilesRemoved();

private:
    std::unique_ptr<QTemporaryDir> state_;
    QString folder() const { return state_->path() + QStringLiteral("/velloq/recuperacao"); }
};

void RecoveryTest::folderFromEnvironment_data() {
    QTest::addColumn<QByteArray>("stateHome");  // "-" for unset
    QTest::addColumn<QString>("folder");
    QTest::newRow("set") << QByteArray("/var/estado") << "/var/estado/velloq/recuperacao";
    QTest::newRow("unset") << QByteArray("-") << "/casa/ana/.local/state/velloq/recuperacao";
    QTest::newRow("empty") << QByteArray("") << "/casa/ana/.local/state/velloq/recuperacao";
    QTest::newRow("relative, ignored") << QByteArray("estado") << "/casa/ana/.local/state/velloq/recuperacao";
}

void RecoveryTest::folderFromEnvironment() {
    QFETCH(QByteArray, stateHome);
    QFETCH(QString, folder);
    const QByteArray oldState = qgetenv("XDG_STATE_HOME"), oldHome = qgetenv("HOME");
    qputenv("HOME", "/casa/ana");
    if (stateHome == "-")
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", stateHome);
    const std::string got = recovery::Folder();
    qputenv("HOME", oldHome);
    qputenv("XDG_STATE_HOME", oldState);
    QCOMPARE(QString::fromStdString(got), folder);
}

void RecoveryTest::fileFormat_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("text");
    auto file = [](const std::string& document, const QString& text) {
        const std::string bytes = recovery::Serialize({document, 1796650000, text});
        return QByteArray(bytes.data(), qsizetype(bytes.size()));
    };
    const QByteArray titled = file("/home/ana/textos/aula.vloq", QStringLiteral("Função ≤ x\n\nfim"));
    QTest::newRow("titled") << titled << true << "/home/ana/textos/aula.vloq" << "Função ≤ x\n\nfim";
    QTest::newRow("untitled, empty text") << file("", {}) << true << "" << "";
    QTest::newRow("path with a line end") << file("/tmp/a\nb.vloq", QStringLiteral("x")) << true << "/tmp/a\nb.vloq"
                                          << "x";
    QTest::newRow("text starting with a BOM") << file("", QStringLiteral("\uFEFFx")) << true << "" << QStringLiteral("\uFEFFx");
    QTest::newRow("cut by one byte") << titled.chopped(1) << false << "" << "";
    QTest::newRow("one byte more") << titled + "x" << false << "" << "";
    QTest::newRow("header only") << titled.left(titled.indexOf('\n') + 1) << false << "" << "";
    QTest::newRow("empty") << QByteArray() << false << "" << "";
    QTest::newRow("foreign") << QByteArray("[VELLOQ]\r\nAUTOR=Ana\r\n") << false << "" << "";
    QTest::newRow("other version") << QByteArray(titled).replace("RECUPERACAO 1", "RECUPERACAO 2") << false << ""
                                   << "";
    QTest::newRow("negative length") << QByteArray("VELLOQ RECUPERACAO 1\n0 -1 0\n\n") << false << "" << "";
    QTest::newRow("huge length") << QByteArray("VELLOQ RECUPERACAO 1\n0 99999999999999999999 0\n\n") << false << ""
                                 << "";
    QTest::newRow("missing field") << QByteArray("VELLOQ RECUPERACAO 1\n0 0\n\n") << false << "" << "";
    QTest::newRow("NUL in the path") << QByteArray("VELLOQ RECUPERACAO 1\n0 3 1\na") + '\0' + "b\nx" << false << "" << "";
    QTest::newRow("text not UTF-8") << QByteArray("VELLOQ RECUPERACAO 1\n0 0 2\n\n\xE7\xE3") << false << "" << "";
}

void RecoveryTest::fileFormat() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, whole);
    QFETCH(QString, document);
    QFETCH(QString, text);
    const auto copy = recovery::Parse(std::string_view(bytes.constData(), size_t(bytes.size())));
    QCOMPARE(copy.has_value(), whole);
    if (!whole) return;
    QCOMPARE(QString::fromStdString(copy->document), document);
    QCOMPARE(copy->text, text);
    QCOMPARE(copy->writtenAt, 1796650000LL);
    // The text and its path, and a header of a few dozen bytes.
    QVERIFY(bytes.size() <= text.toUtf8().size() + document.toUtf8().size() + 48);
}

void RecoveryTest::copyComesAndGoes_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("stays");
    QTest::addColumn<QString>("document");  // in the copy that stays
    QTest::newRow("save") << "save" << false << "";
    QTest::newRow("new page, Yes") << "new page, Yes" << false << "";
    QTest::newRow("new page, No: untitled now") << "new page, No" << true << "";
    QTest::newRow("another document picked") << "pick" << false << "";
    QTest::newRow("more typing") << "type" << true << "aula.vloq";
    QTest::newRow("saved, then typed again: a new copy") << "save, type" << true << "aula.vloq";
    QTest::newRow("normal exit") << "exit" << false << "";
}

void RecoveryTest::copyComesAndGoes() {
    QFETCH(QString, action);
    QFETCH(bool, stays);
    QFETCH(QString, document);
    QVERIFY(QDir().mkpath(folder()));
    QVERIFY(QFile::setPermissions(folder(), QFile::Permissions(0x7755)));
    auto editor = std::make_unique<Editor>(folder());
    DocFixture& f = editor->f;
    writeBytes(f.textos() + "/aula.vloq", "um\r\ndois");
    writeBytes(f.textos() + "/outro.vloq", "outro");
    QDir::setCurrent(f.textos());
    QVERIFY(f.commands.documents->LoadDocument("aula.vloq"));

    f.type(QStringLiteral("novo "));
    QVERIFY(editor->recovery->file().empty());  // nothing before the pause
    QTRY_VERIFY(!editor->recovery->file().empty() && QFile::exists(QString::fromStdString(editor->recovery->file())));
    const std::string file = editor->recovery->file();
    auto copy = copyIn(file);
    QVERIFY(copy);
    QCOMPARE(copy->document, (f.textos() + "/aula.vloq").toStdString());
    QCOMPARE(copy->text, QStringLiteral("novo um\ndois"));
    // The copies are the user's own, even in a folder that others could read before.
    QVERIFY(!(QFileInfo(folder()).permissions() & (QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther)));
    // The copy itself is the user's alone, in a folder that others may read.
    const auto ownerOnly = [](const std::string& path) {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 07777) == 0600;
    };
    QVERIFY(ownerOnly(file));
    // Nothing of the copy lands in the work folder.
    QCOMPARE(QDir(f.textos()).entryList(QDir::Files | QDir::Hidden), QStringList({"aula.vloq", "outro.vloq"}));

    if (action == "save") {
        f.trigger("save");
    } else if (action.startsWith("new page")) {
        f.sink.yesNo.push_back(action.endsWith("Yes"));
        f.trigger("newPage");
    } else if (action == "pick") {
        f.sink.yesNo.push_back(true);
        f.commands.workFolder->openPickedEntry("outro.vloq");
    } else if (action == "type") {
        f.type(QStringLiteral("mais "));
    } else if (action == "save, type") {
        f.trigger("save");
        QTRY_VERIFY(!QFile::exists(QString::fromStdString(file)));
        f.type(QStringLiteral("mais "));
    } else if (action == "exit") {
        editor->recovery.reset();
        QVERIFY(QDir(folder()).entryList(QDir::Files).isEmpty());  // its lock went too
        return;
    }
    if (!stays) {
        QTRY_VERIFY(!QFile::exists(QString::fromStdString(file)));
        return;
    }
    const QString expected = action.endsWith("type") ? QStringLiteral("novo mais um\ndois") : QStringLiteral("novo um\ndois");
    QTRY_VERIFY((copy = copyIn(file)) && copy->document == (document.isEmpty() ? "" : (f.textos() + "/" + document).toStdString()) &&
                copy->text == expected);
    QVERIFY(ownerOnly(file));
}

void RecoveryTest::killedEditorIsOffered_data() {
    QTest::addColumn<QString>("document");  // "" untitled, "gone" for a document removed since
    QTest::addColumn<bool>("answer");
    QTest::newRow("titled, Sim") << "aula.vloq" << true;
    QTest::newRow("untitled, Sim") << "" << true;
    QTest::newRow("document gone, Sim") << "gone" << true;
    QTest::newRow("titled, Não") << "aula.vloq" << false;
}

void RecoveryTest::killedEditorIsOffered() {
    QFETCH(QString, document);
    QFETCH(bool, answer);
    DocFixture f;
    const QString path = document.isEmpty() ? QString() : f.textos() + "/aula.vloq";
    if (!path.isEmpty()) writeBytes(path, "antes");
    {
        ChildEditor child(f.start, folder(), 20, path, QStringLiteral("não salvo ≤ "));
        QVERIFY(child.ready());
        QCOMPARE(child.endWith(SIGKILL), SIGKILL);
    }
    QCOMPARE(copiesIn(folder()).size(), 1);
    if (document == "gone") QFile::remove(path);

    // The next editor, at its start-up step.
    Recovery recovery(f.mainWindow->parts(), *f.commands.documents, folder().toStdString());
    recovery.setDelays(kPause, 10 * kPause);
    f.sink.yesNo.push_back(answer);
    f.mainWindow->startupTimer->start(0);
    QTRY_VERIFY(std::find_if(f.sink.calls.begin(), f.sink.calls.end(), [](const std::string& c) {
                    return c.rfind("AskYesNo: Recuperar", 0) == 0;
                }) != f.sink.calls.end());
    const std::string shownName = path.isEmpty() ? "sem t\xC3\xADtulo" : path.toStdString();
    const std::string asked = f.sink.calls.back();
    QVERIFY2(asked.rfind("AskYesNo: Recuperar o texto n\xC3\xA3o salvo de " + shownName + " (", 0) == 0, asked.c_str());
    QVERIFY2(QRegularExpression(R"(\(\d\d/\d\d/\d{4} \d\d:\d\d\)\?$)").match(QString::fromStdString(asked)).hasMatch(),
             asked.c_str());

    if (!answer) {
        QCOMPARE(f.text(), std::string());
        QVERIFY(!f.modified());
        QVERIFY(copiesIn(folder()).isEmpty());
        QCOMPARE(asideIn(folder()).size(), 1);
        QCOMPARE(readBytes(path), QByteArray("antes"));
        return;
    }
    QCOMPARE(QString::fromStdString(f.text()), path.isEmpty() ? QStringLiteral("não salvo ≤ ")
                                                              : QStringLiteral("não salvo ≤ antes"));
    QVERIFY(f.modified());
    const std::string title = document == "aula.vloq" ? path.toStdString() : "";
    QCOMPARE(f.run().currentFile, title);
    QCOMPARE(f.mainWindow->windowTitle(), title.empty() ? QStringLiteral("Velloq") : "Velloq " + path);
    if (document == "aula.vloq") QCOMPARE(readBytes(path), QByteArray("antes"));  // untouched until saved
    // The text is now this editor's copy; the old one is gone.
    QCOMPARE(copiesIn(folder()), QStringList{QFileInfo(QString::fromStdString(recovery.file())).fileName()});
    QVERIFY(asideIn(folder()).isEmpty());
}

void RecoveryTest::sessionEndWritesAtOnce_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void RecoveryTest::sessionEndWritesAtOnce() {
    QFETCH(int, signal);
    QTemporaryDir start;
    // Copies after a pause of ten minutes: only the end of the session can write this one.
    ChildEditor child(start.path(), folder(), 600000, {}, QStringLiteral("última frase"));
    QVERIFY(child.ready());
    QVERIFY(copiesIn(folder()).isEmpty());
    QCOMPARE(child.endWith(signal), signal);
    const QStringList copies = copiesIn(folder());
    QCOMPARE(copies.size(), 1);
    const auto copy = copyIn((folder() + "/" + copies.front()).toStdString());
    QVERIFY(copy);
    QCOMPARE(copy->text, QStringLiteral("última frase"));
    QVERIFY(QFile::remove(folder() + "/" + copies.front()));
}

void RecoveryTest::restoredDocumentKeepsItsFormat() {
    Editor editor(folder());
    DocFixture& f = editor.f;
    const QString path = f.textos() + "/aula.vloq";
    writeBytes(path, QStringLiteral("ação\n").toUtf8());  // UTF-8 from another editor, LF line ends
    leaveCopy(folder(), "velloq-1-x.vrec", {path.toStdString(), 1796650000, QStringLiteral("ação ≤ nova\nlinha")});
    f.sink.yesNo.push_back(true);
    editor.recovery->OfferLeftCopies();
    QCOMPARE(f.run().currentFile, path.toStdString());
    QVERIFY(f.modified());
    f.trigger("save");
    QCOMPARE(readBytes(path), QStringLiteral("ação ≤ nova\nlinha").toUtf8());
}

void RecoveryTest::twoEditorsKeepTwoCopies() {
    Editor first(folder()), second(folder());
    first.f.type(QStringLiteral("primeiro"));
    second.f.type(QStringLiteral("segundo"));
    QTRY_VERIFY(!first.recovery->file().empty() && !second.recovery->file().empty());
    QVERIFY(first.recovery->file() != second.recovery->file());
    QTRY_VERIFY(copyIn(first.recovery->file()) && copyIn(second.recovery->file()));
    QCOMPARE(copyIn(first.recovery->file())->text, QStringLiteral("primeiro"));
    QCOMPARE(copyIn(second.recovery->file())->text, QStringLiteral("segundo"));

    // A third editor starting now offers neither: both editors still run.
    Editor third(folder());
    third.recovery->OfferLeftCopies();
    QVERIFY(third.f.sink.calls.empty());
    QCOMPARE(copiesIn(folder()).size(), 2);
    QCOMPARE(copyIn(first.recovery->file())->text, QStringLiteral("primeiro"));
}

void RecoveryTest::damagedFilesPassedOver() {
    WithoutPermissionOverride asUser;
    Editor editor(folder());
    const std::string whole = recovery::Serialize({"", 1796650000, QStringLiteral("inteiro")});
    const QByteArray bytes(whole.data(), qsizetype(whole.size()));
    writeBytes(folder() + "/velloq-1-cortado.vrec", bytes.chopped(3));
    writeBytes(folder() + "/velloq-2-alheio.vrec", "n\xE3o \xE9 uma c\xF3pia");
    writeBytes(folder() + "/velloq-3-vazio.vrec", "");
    QDir(folder()).mkdir("velloq-4-pasta.vrec");
    writeBytes(folder() + "/outro-nome.vrec", bytes);
    writeBytes(folder() + "/velloq-5-bom.vrec", bytes);
    writeBytes(folder() + "/velloq-6-ilegivel.vrec", bytes);
    QFile::setPermissions(folder() + "/velloq-6-ilegivel.vrec", {});

    editor.f.sink.yesNo.push_back(true);
    editor.recovery->OfferLeftCopies();

    QCOMPARE(editor.f.sink.calls.size(), size_t(1));
    QVERIFY(editor.f.sink.calls.front().rfind("AskYesNo: Recuperar", 0) == 0);
    QCOMPARE(editor.f.text(), std::string("inteiro"));
    // The files passed over stay as they were.
    QVERIFY(QFile::exists(folder() + "/velloq-2-alheio.vrec"));
    QVERIFY(QFile::exists(folder() + "/outro-nome.vrec"));
    QVERIFY(QFile::exists(folder() + "/velloq-6-ilegivel.vrec"));
    QVERIFY(!QFile::exists(folder() + "/velloq-5-bom.vrec"));
}

void RecoveryTest::refusedCopiesKeepTheLastThree() {
    Editor editor(folder());
    for (int i = 1; i <= 5; ++i) {
        leaveCopy(folder(), QStringLiteral("velloq-%1-x.vrec").arg(i), {"", 1796650000 + i, QString::number(i)});
        editor.f.sink.yesNo.push_back(false);
    }
    editor.recovery->OfferLeftCopies();
    QCOMPARE(editor.f.sink.calls.size(), size_t(5));
    QVERIFY(copiesIn(folder()).isEmpty());
    QVERIFY(QDir(folder()).entryList({"*.lock"}, QDir::Files).isEmpty());
    // Newest first, so the three oldest were refused last and stay.
    QStringList texts;
    for (const QString& name : asideIn(folder())) texts << copyIn((folder() + "/" + name).toStdString())->text;
    QCOMPARE(texts, QStringList({"3", "2", "1"}));
}

void RecoveryTest::readOnlyFolderStopsNothing() {
    WithoutPermissionOverride asUser;
    QVERIFY(QDir().mkpath(folder()));
    QVERIFY(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner));
    Editor editor(folder());
    DocFixture& f = editor.f;
    f.type(QStringLiteral("um"));
    QTRY_COMPARE(f.sink.calls.size(), size_t(1));
    QVERIFY2(f.sink.calls.front().find("c\xC3\xB3pia de recupera\xC3\xA7\xC3\xA3o") != std::string::npos,
             f.sink.calls.front().c_str());
    f.type(QStringLiteral(" dois"));
    // More copies tried and failed: any the pause set off, then two at once; each failure is
    // handed to the window before WriteNow returns, and reaches it with the posted events.
    QVERIFY(!editor.recovery->WriteNow());
    QVERIFY(!editor.recovery->WriteNow());
    QVERIFY(processPostedEvents());
    QCOMPARE(f.sink.calls.size(), size_t(1));
    QCOMPARE(f.sink.warnings.size(), size_t(1));
    QCOMPARE(f.text(), std::string("um dois"));

    f.dialogs.chooseFile(f.textos() + "/aula.vloq");
    f.trigger("save");
    QCOMPARE(readBytes(f.textos() + "/aula.vloq"), QByteArray("um dois"));
    QVERIFY(!f.modified());
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void RecoveryTest::leftTemporaryFilesRemoved_data() {
    QTest::addColumn<bool>("editorRuns");     // the editor that made the copy still runs
    QTest::addColumn<int>("lockAge");         // seconds since that editor made its lock
    QTest::addColumn<QString>("name");        // of the file left
    QTest::addColumn<int>("age");             // seconds since it was last written
    QTest::addColumn<bool>("removed");
    QTest::newRow("killed editor, two minutes old") << false << 0 << ".velloq-Ab12Cd" << 120 << true;
    QTest::newRow("killed editor, ten seconds old") << false << 0 << ".velloq-Ab12Cd" << 10 << false;
    QTest::newRow("running editor, written since its lock") << true << 600 << ".velloq-Ab12Cd" << 120 << false;
    QTest::newRow("running editor, written before its lock") << true << 0 << ".velloq-Ab12Cd" << 120 << true;
    QTest::newRow("killed editor, not a temporary file") << false << 0 << "notas.txt" << 120 << false;
}

// A kill in the middle of writing a copy leaves the file writer's temporary file beside it;
// the next start removes it once no running editor can be writing it.
void RecoveryTest::leftTemporaryFilesRemoved() {
    QFETCH(bool, editorRuns);
    QFETCH(int, lockAge);
    QFETCH(QString, name);
    QFETCH(int, age);
    QFETCH(bool, removed);
    DocFixture f;
    ChildEditor child(f.start, folder(), 20, {}, QStringLiteral("meio escrito"));
    QVERIFY(child.ready());
    const QStringList locks = QDir(folder()).entryList({QStringLiteral("velloq-*.lock")}, QDir::Files);
    QCOMPARE(locks.size(), 1);
    const auto setAge = [](const QString& path, int seconds) {
        const timespec when[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
        return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), when, 0) == 0;
    };
    QVERIFY(setAge(folder() + "/" + locks.front(), lockAge));
    if (!editorRuns) QCOMPARE(child.endWith(SIGKILL), SIGKILL);
    // What the kill left of a copy under way: its first bytes, under the writer's new name.
    const std::string whole = recovery::Serialize({"", 1796650000, QStringLiteral("meio escrito")});
    const QString left = folder() + "/" + name;
    writeBytes(left, QByteArray(whole.data(), qsizetype(whole.size() / 2)));
    QVERIFY(setAge(left, age));

    Editor next(folder());
    if (!editorRuns) next.f.sink.yesNo.push_back(false);  // the killed editor's copy is offered
    next.recovery->OfferLeftCopies();
    QCOMPARE(QFile::exists(left), !removed);
    QCOMPARE(QDir(folder()).entryList({QStringLiteral("velloq-*.lock")}, QDir::Files).size(), editorRuns ? 1 : 0);
}

namespace {

// An editor for the tests to end: arguments start folder, recovery folder, pause in ms,
// document to load ("" for none) and text typed at the start of it. Says "pronto" on its
// output once the text is in and, with a pause under a minute, its copy written.
int runEditor(int argc, char** argv) {
    if (argc != 7) return 2;
    QApplication app(argc, argv);
    messages::SilentSink quiet;
    messages::Install(&quiet);
    QDir::setCurrent(QString::fromLocal8Bit(argv[2]));
    MainWindow mainWindow;
    const DocumentCommands commands = ConnectDocumentCommands(mainWindow.parts(), mainWindow.runState());
    Recovery recovery(mainWindow.parts(), *commands.documents, argv[3]);
    const int pause = std::atoi(argv[4]);
    recovery.setDelays(pause, pause);
    SessionEnd sessionEnd([&recovery] { recovery.WriteNow(); });
    if (*argv[5]) commands.documents->LoadDocument(argv[5]);
    mainWindow.textEdit->insertPlainText(QString::fromUtf8(argv[6]));

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (pause < 60000 && (recovery.file().empty() || !QFile::exists(QString::fromStdString(recovery.file()))))
            return;
        poll.stop();
        std::puts("pronto");
        std::fflush(stdout);
    });
    poll.start(10);
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--editor") return runEditor(argc, argv);
    // Copies go to a folder of the test's own, never to the user's.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    RecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "recovery_test.moc"
