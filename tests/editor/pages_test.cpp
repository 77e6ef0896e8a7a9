// Viewing, printing and help on real files: the page's name and folder, saving before
// generating, files that are opened as they are, generator failures, and what the shell opens.
#include <QLabel>
#include <QListWidget>

#include "docfixture.h"
#include "editor/documents/documents.h"
#include "editor/pages/pagecommands.h"

namespace {

// A template with its three sections, so that the generator has nothing to warn about.
void writeTemplate(const QString& folder) {
    writeBytes(folder + "/modeloMat.mdl",
               "<<<CABE\xC7" "ALHO>>>\r\n<html><body>\r\n<<<FIM>>>\r\n<<<T\xD3PICO>>>\r\n<h2>[T\xD3PICO]</h2>\r\n"
               "<<<FIM>>>\r\n<<<ASSINATURA>>>\r\n</body></html>\r\n<<<FIM>>>\r\n");
}

// What the window's notice line shows, which screen readers announce; "" while it is hidden.
QString noticeOf(DocFixture& f) {
    auto* notice = f.mainWindow->findChild<QLabel*>(QStringLiteral("noticeLine"));
    return notice && notice->isVisibleTo(f.mainWindow.get()) ? notice->text() : QString();
}

// A desktop that opens nothing, while it is installed.
class RefusingShell final : public shell::Opener {
public:
    RefusingShell() : previous_(shell::Install(this)) {}
    ~RefusingShell() override { shell::Install(previous_); }
    bool Open(const std::string&) override { return false; }

private:
    shell::Opener* previous_;
};

}  // namespace

class PagesTest : public QObject {
    Q_OBJECT
private slots:
    void view_data();
    void view();
    void viewSavesTheTextFirst();
    void generatorFileErrorOpensNothing();
    void viewCarriesTheReadings();
    void print_data();
    void print();
    void opens_data();
    void opens();
    void viewSaysItOpensThePage_data();
    void viewSaysItOpensThePage();
    void writeBraille_data();
    void writeBraille();
};

void PagesTest::view_data() {
    QTest::addColumn<QString>("file");      // under textos
    QTest::addColumn<bool>("fromList");     // picked in the list (a bare name), else opened by dialog
    QTest::addColumn<QString>("opened");    // what the shell opens, relative to textos
    QTest::addColumn<bool>("generated");
    QTest::newRow("from the list") << "notas.vloq" << true << "notas.htm" << true;
    QTest::newRow("upper case") << "NOTAS.VLOQ" << false << "NOTAS.htm" << true;
    QTest::newRow("mixed case") << "aula1.Vloq" << false << "aula1.htm" << true;
    QTest::newRow("only the extension") << ".vloq" << false << ".htm" << true;
    QTest::newRow("a style sheet opens itself") << "estilo.css" << false << "estilo.css" << false;
    QTest::newRow("a template opens itself") << "modelo.mdl" << true << "modelo.mdl" << false;
}

void PagesTest::view() {
    QFETCH(QString, file);
    QFETCH(bool, fromList);
    QFETCH(QString, opened);
    QFETCH(bool, generated);
    DocFixture f;
    writeBytes(f.textos() + "/" + file, "*T\xC3\xADtulo\r\nTexto.");
    writeTemplate(f.textos());
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    if (fromList) {
        f.run().listFilter = "*.*";
        QVERIFY(f.commands.documents->LoadDocument(file.toStdString()));
    } else {
        f.dialogs.chooseFile(f.textos() + "/" + file);
        f.trigger("openFile");
    }
    f.trigger("view");

    const QString page = f.textos() + "/" + opened;
    QCOMPARE(f.shell.opened, std::vector<std::string>{(fromList ? opened : page).toStdString()});
    QCOMPARE(QFileInfo::exists(page), true);
    QCOMPARE(readBytes(page).contains("<html><body>"), generated);
    QCOMPARE(QDir(f.textos()).entryList({"*.htm"}, QDir::Files | QDir::Hidden).size(), generated ? 1 : 0);
    QVERIFY(f.sink.calls.empty());
}

void PagesTest::viewSavesTheTextFirst() {
    DocFixture f;
    const QString doc = f.textos() + "/aula.vloq";
    writeBytes(doc, "antigo");
    writeTemplate(f.start);  // the template is looked for in the current directory
    QVERIFY(f.commands.documents->LoadDocument(doc.toStdString()));
    f.mainWindow->textEdit->selectAll();
    f.mainWindow->textEdit->insertPlainText(QStringLiteral("Aula\nx ≤ y, ação"));
    f.trigger("view");
    QVERIFY(!f.modified());
    QCOMPARE(readBytes(doc), QByteArray("Aula\r\nx &#8804; y, a\xE7\xE3o"));
    QCOMPARE(f.run().pageFile, (f.textos() + "/aula.htm").toStdString());
    QVERIFY(readBytes(f.textos() + "/aula.htm").contains("x &#8804; y, a&ccedil;&atilde;o"));
    QCOMPARE(f.shell.opened, std::vector<std::string>{f.run().pageFile});
}

void PagesTest::generatorFileErrorOpensNothing() {
    DocFixture f;
    const QString doc = f.textos() + "/aula.vloq";
    writeBytes(doc, "texto");
    QVERIFY(f.commands.documents->LoadDocument(doc.toStdString()));
    QFile::remove(doc);
    f.trigger("view");
    QCOMPARE(f.sink.calls.size(), size_t(1));
    QVERIFY2(f.sink.calls[0].find(doc.toStdString()) != std::string::npos, f.sink.calls[0].c_str());
    QVERIFY(f.shell.opened.empty());
}

// The editor writes "≤" as a reference; the page names the formula by the character the
// browser shows, with its reading, as velloq-gerar does.
void PagesTest::viewCarriesTheReadings() {
    DocFixture f;
    const QString doc = f.textos() + "/aula.vloq";
    writeBytes(doc, "");
    writeBytes(f.start + "/modeloMat.mdl",
               "<<<CABE\xC7" "ALHO>>>\r\n<html><body>\r\n<<<FIM>>>\r\n<<<ASSINATURA>>>\r\n"
               "<script type=\"application/json\">[LEITURAS]</script></body></html>\r\n<<<FIM>>>\r\n");
    QVERIFY(f.commands.documents->LoadDocument(doc.toStdString()));
    f.mainWindow->textEdit->insertPlainText(QStringLiteral("Aula\nSe `x ≤ y`, então `x^2`."));
    f.trigger("view");
    const QByteArray page = readBytes(f.textos() + "/aula.htm");
    QVERIFY2(page.contains("<script type=\"application/json\">{\"x \\u2264 y\":\"x menor ou igual a y\","
                           "\"x^2\":\"x ao quadrado\"}</script>"),
             page.constData());
    QVERIFY(f.sink.calls.empty());
}

void PagesTest::print_data() {
    QTest::addColumn<bool>("titled");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("opens");
    const QString instruction = "Show: Vou abrir o navegador, então aperte ctrl-p.\rEspere imprimir, depois feche o navegador.";
    QTest::newRow("print untitled") << false << "print" << QStringList{"Show: Salve o arquivo antes de imprimir"} << false;
    QTest::newRow("print titled") << true << "print" << QStringList{instruction} << true;
    QTest::newRow("view untitled") << false << "view"
                                   << QStringList{"Show: Salve o arquivo antes de visualizar pela primeira vez"} << false;
    QTest::newRow("braille untitled") << false << "writeBraille"
                                      << QStringList{"Show: Salve o arquivo antes de gerar o braille"} << false;
}

void PagesTest::print() {
    QFETCH(bool, titled);
    QFETCH(QString, entry);
    QFETCH(QStringList, messages);
    QFETCH(bool, opens);
    DocFixture f;
    if (titled) {
        writeBytes(f.textos() + "/a.vloq", "a");
        writeTemplate(f.start);
        QVERIFY(f.commands.documents->LoadDocument((f.textos() + "/a.vloq").toStdString()));
    }
    f.type("mais");
    f.trigger(entry.toLatin1().constData());
    QStringList seen;
    for (const std::string& call : f.sink.calls) seen << QString::fromStdString(call);
    QCOMPARE(seen, messages);
    QCOMPARE(f.shell.opened.size(), size_t(opens ? 1 : 0));
    QCOMPARE(f.modified(), !titled);
}

void PagesTest::opens_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("helpFiles");
    QTest::addColumn<QString>("opened");  // %1 stands for the help folder; "" for nothing
    QTest::addColumn<QString>("said");    // on the notice line
    QTest::addColumn<QString>("warning");
    const QString opening = QStringLiteral("Abrindo a página no navegador.");
    QTest::newRow("help, chm present") << "manual" << QStringList{"velloq.chm", "velloq.htm"} << "%1/velloq.chm"
                                       << opening << "";
    QTest::newRow("help, htm only") << "manual" << QStringList{"velloq.htm"} << "%1/velloq.htm" << opening << "";
    QTest::newRow("help, neither") << "manual" << QStringList{} << "" << opening
        << "Não foi possível abrir a página no navegador: o arquivo %1/velloq.htm não existe.";
    QTest::newRow("tutorial") << "asciiMathTutorial" << QStringList{} << "http://www.wjagray.co.uk/maths/ASCIIMathTutorial.html"
                              << "" << "";
    QTest::newRow("formula list") << "formulaList" << QStringList{} << "%1/formulas.htm" << "" << "";
    QTest::newRow("work folder") << "showWorkFolder" << QStringList{} << "%1/../textos" << "" << "";
}

void PagesTest::opens() {
    QFETCH(QString, entry);
    QFETCH(QStringList, helpFiles);
    QFETCH(QString, opened);
    QFETCH(QString, said);
    QFETCH(QString, warning);
    DocFixture f;
    for (const QString& name : helpFiles) writeBytes(f.start + "/help/" + name, "ajuda");
    f.trigger(entry.toLatin1().constData());
    const auto inHelp = [&f](QString text) { return text.arg(f.start + "/help").replace("/help/../", "/").toStdString(); };
    QCOMPARE(f.shell.opened, opened.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{inHelp(opened)});
    QCOMPARE(f.sink.warnings, warning.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{inHelp(warning)});
    QCOMPARE(noticeOf(f), said);
}

void PagesTest::viewSaysItOpensThePage_data() {
    QTest::addColumn<bool>("desktopOpens");
    QTest::addColumn<QString>("warning");  // %1 is the page
    QTest::newRow("opened") << true << "";
    QTest::newRow("no program for it")
        << false << "Não foi possível abrir a página no navegador: o sistema não indicou um programa que abra %1.";
}

void PagesTest::viewSaysItOpensThePage() {
    QFETCH(bool, desktopOpens);
    QFETCH(QString, warning);
    DocFixture f;
    RefusingShell refusing;
    if (desktopOpens) shell::Install(&f.shell);
    writeBytes(f.textos() + "/aula.vloq", "Texto.");
    writeTemplate(f.textos());
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    QVERIFY(f.commands.documents->LoadDocument("aula.vloq"));
    f.trigger("view");
    QCOMPARE(noticeOf(f), QStringLiteral("Página gerada: aula.htm. Abrindo a página no navegador."));
    QCOMPARE(f.sink.warnings, warning.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{warning.arg("aula.htm").toStdString()});
}

// The document for an embosser, beside the document: the text saved first, what was written said
// on the notice line with the signs the code has no cells for, a file that cannot be written
// shown as the page's would be.
void PagesTest::writeBraille_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("brfTaken");    // a folder stands where a.brf goes
    QTest::addColumn<QString>("cells");    // in a.txt, when written
    QTest::addColumn<QString>("notice");
    const QString done = QStringLiteral("Braille gerado: a.brf e a.txt.");
    QTest::newRow("written") << "Aula\n`x^2`" << false << "⠭⠡⠼⠃" << done;
    QTest::newRow("a sign without cells") << "`x&y`" << false << "⠭⠿⠿⠯⠿⠿⠽"
                                          << done + " Sinais sem braille no código: &.";
    QTest::newRow("cannot be written") << "`x^2`" << true << "" << "";
}

void PagesTest::writeBraille() {
    QFETCH(QString, typed);
    QFETCH(bool, brfTaken);
    QFETCH(QString, cells);
    QFETCH(QString, notice);
    DocFixture f;
    const QString doc = f.textos() + "/a.vloq";
    writeBytes(doc, "antigo");
    if (brfTaken) QVERIFY(QDir(f.textos()).mkdir("a.brf"));
    QVERIFY(f.commands.documents->LoadDocument(doc.toStdString()));
    f.mainWindow->textEdit->selectAll();
    f.mainWindow->textEdit->insertPlainText(typed);
    f.trigger("writeBraille");
    QVERIFY(!f.modified());
    QCOMPARE(readBytes(doc), typed.replace("\n", "\r\n").toLatin1());
    QCOMPARE(noticeOf(f), notice);
    if (brfTaken) {
        QCOMPARE(f.sink.calls.size(), size_t(1));
        QVERIFY2(f.sink.calls[0].find("a.brf") != std::string::npos, f.sink.calls[0].c_str());
        QVERIFY(!QFile::exists(f.textos() + "/a.txt"));
        return;
    }
    QVERIFY(f.sink.calls.empty());
    QVERIFY(QFileInfo(f.textos() + "/a.brf").isFile());
    QVERIFY2(QString::fromUtf8(readBytes(f.textos() + "/a.txt")).contains(cells), readBytes(f.textos() + "/a.txt").constData());
}

QTEST_MAIN(PagesTest)
#include "pages_test.moc"

