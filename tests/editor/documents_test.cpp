// Document commands on real files: save-as names, the state table of new, open and save, the
// two questions on leaving, the byte-exact text format, and failures that must lose nothing.
#include <sys/resource.h>

#include <QFileInfo>
#include <QListWidget>
#include <QWindow>
#include <csignal>

#include "docfixture.h"
#include "editor/documents.h"
#include "editor/filelist.h"

namespace {

const std::string kDrop = "AskYesNo: Confirmando apagamento geral";
const std::string kLoad = std::string("AskYesNo: ") + kLoadAnother;

// The folder's entries that are not expected: left-over temporary files.
QStringList strays(const QString& folder, const QStringList& expected) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : expected) names.removeAll(name);
    return names;
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
    f.trigger("SalvarComo1");

    QCOMPARE(readBytes(f.start + "/" + written), QByteArray("um\r\ndois"));
    QCOMPARE(f.form->windowTitle(), "Velloq " + f.start + "/" + written);
    QCOMPARE(uvars::CurrentFile, (f.start + "/" + written).toStdString());
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
    f.trigger("SalvarComo1");
    QCOMPARE(f.sink.calls.size(), size_t(1));
    QCOMPARE(readBytes(f.textos() + "/aula.vloq"), replace ? QByteArray("novo") : QByteArray("velho"));
    QCOMPARE(f.modified(), !replace);
    QCOMPARE(uvars::CurrentFile.empty(), !replace);
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
    QTest::newRow("new, clean") << true << false << "Novo1" << true << QStringList{} << false << false << false;
    QTest::newRow("new, modified, Yes") << true << true << "Novo1" << true << QStringList{drop} << false << false << false;
    QTest::newRow("new, modified, No keeps the text untitled")
        << true << true << "Novo1" << false << QStringList{drop} << true << false << true;
    QTest::newRow("save untitled, dialog cancelled")
        << false << true << "Salvar1" << true << QStringList{"SaveDialog1"} << true << false << true;
    QTest::newRow("save titled") << true << true << "Salvar1" << true << QStringList{} << true << true << false;
    QTest::newRow("open, modified, No") << true << true << "Abrir1" << false << QStringList{load} << true << true << true;
    QTest::newRow("open, modified, Yes, dialog cancelled")
        << true << true << "Abrir1" << true << QStringList{load, "OpenDialog1"} << true << true << true;
    QTest::newRow("open, clean, dialog cancelled")
        << true << false << "Abrir1" << true << QStringList{"OpenDialog1"} << true << true << false;
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
    QCOMPARE(uvars::CurrentFile, titledAfter ? file.toStdString() : std::string());
    QCOMPARE(f.form->windowTitle(), titledAfter ? "Velloq " + file : QString("Velloq"));
    QCOMPARE(f.modified(), modifiedAfter);
    QCOMPARE(readBytes(file), entry == "Salvar1" && titled ? QByteArray::fromStdString(before) : QByteArray("texto"));
}

void DocumentsTest::leaving_data() {
    QTest::addColumn<bool>("byMenu");  // "&Terminar", else the window frame
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closed");
    QTest::newRow("menu, clean") << true << false << QList<bool>{} << 0 << true;
    QTest::newRow("menu, Yes and Yes") << true << true << QList<bool>{true, true} << 2 << true;
    QTest::newRow("menu, Yes then No") << true << true << QList<bool>{true, false} << 2 << false;
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
    f.form->show();
    if (modified) f.type("algo");
    f.sink.yesNo.assign(answers.begin(), answers.end());
    if (byMenu) f.trigger("Terminar");
    else f.form->close();
    QCOMPARE(int(f.sink.calls.size()), questions);
    if (questions == 2 || (!byMenu && questions == 1))
        QCOMPARE(f.sink.calls.back(), std::string("AskYesNo: Termina o programa sem salvar a edi\xC3\xA7\xC3\xA3o?"));
    if (byMenu && questions >= 1) QCOMPARE(f.sink.calls.front(), std::string("AskYesNo: Texto foi alterado, sai sem salvar?"));
    QCOMPARE(f.form->isVisible(), !closed);
    QCOMPARE(f.text(), modified ? std::string("algo") : std::string());
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
    writeBytes(f.textos() + "/rt.vloq", file);
    f.dialogs.chooseFile(f.textos() + "/rt.vloq");
    f.trigger("Abrir1");
    QVERIFY(!f.modified());
    f.trigger("Salvar1");
    QCOMPARE(readBytes(f.textos() + "/rt.vloq"), saved);
}

void DocumentsTest::failedSaveLosesNothing_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("read-only file") << "read-only file";
    QTest::newRow("read-only folder") << "read-only folder";
    QTest::newRow("full disk") << "full disk";
    QTest::newRow("folder gone") << "folder gone";
}

void DocumentsTest::failedSaveLosesNothing() {
    QFETCH(QString, fault);
    DocFixture f;
    const QString folder = f.start + "/docs", file = folder + "/aula.vloq";
    writeBytes(file, "antigo\r\n");
    QVERIFY(f.commands.documents->LoadDocument(file.toStdString()));
    f.type("novo texto bem mais longo que o antigo ");
    const std::string typed = f.text();

    WithoutPermissionOverride asUser;
    rlimit savedLimit{};
    ::getrlimit(RLIMIT_FSIZE, &savedLimit);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    if (fault == "read-only file") QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup);
    if (fault == "read-only folder") QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    if (fault == "folder gone") QDir(folder).removeRecursively();
    if (fault == "full disk") {
        rlimit small = savedLimit;
        small.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    f.trigger("Salvar1");
    ::setrlimit(RLIMIT_FSIZE, &savedLimit);
    std::signal(SIGXFSZ, savedSignal);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(f.sink.calls.size(), size_t(1));
    QVERIFY2(f.sink.calls[0].rfind("Show: Erro ao gravar o arquivo " + file.toStdString() + ": ", 0) == 0,
             f.sink.calls[0].c_str());
    QVERIFY(f.modified());
    QCOMPARE(f.text(), typed);
    QCOMPARE(readBytes(file), fault == "folder gone" ? QByteArray("<missing>") : QByteArray("antigo\r\n"));
    QCOMPARE(strays(folder, {"aula.vloq"}), QStringList());
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
    f.trigger("Abrir1");
    QCOMPARE(f.listed(), listedBefore);
    QCOMPARE(f.sink.calls, std::vector<std::string>{"Show: Erro ao abrir o arquivo " + (f.textos() + "/" + pick).toStdString() + ": " + reason.toStdString()});
    QCOMPARE(uvars::CurrentFile, std::string());
    QCOMPARE(f.form->windowTitle(), QString("Velloq"));
    QCOMPARE(f.text(), std::string());

    // A later save asks for a name instead of writing over the file that failed.
    f.trigger("Salvar1");
    QCOMPARE(f.dialogs.shown.back(), std::string("SaveDialog1"));
    QCOMPARE(readBytes(f.textos() + "/antes.vloq"), QByteArray("antes"));
}

// Undoing back to the text on disk still counts as a change: the file may have changed since.
// Loading, saving and a new text are what clear the flag.
void DocumentsTest::undoingIsAChange() {
    DocFixture f;
    writeBytes(f.textos() + "/u.vloq", "disco");
    f.dialogs.chooseFile(f.textos() + "/u.vloq");
    f.trigger("Abrir1");
    f.type("x");
    f.trigger("Desfazer1");
    QCOMPARE(f.text(), std::string("disco"));
    QVERIFY(f.modified());
    f.trigger("Salvar1");
    QVERIFY(!f.modified());
    f.type("y");
    f.sink.yesNo = {true};
    f.trigger("Novo1");
    QVERIFY(!f.modified());
}

// "[*]" in a window title is where the window system puts a modified mark; a file name that
// holds it is still shown whole.
void DocumentsTest::captionShowsTheWholeName() {
    DocFixture f;
    const QString file = f.textos() + "/a[*]b.vloq";
    writeBytes(file, "t");
    f.dialogs.chooseFile(file);
    f.trigger("Abrir1");
    f.form->winId();  // the title the window system gets
    QCOMPARE(f.form->windowHandle()->title(), "Velloq " + file);
}

QTEST_MAIN(DocumentsTest)
#include "documents_test.moc"
