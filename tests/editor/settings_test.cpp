// ReadSettings and WriteSettings over real settings files: the fallbacks from the work
// folder's file to the program's file and to the defaults, and what a write leaves on disk.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "editor/state/runstate.h"

namespace {

// Writes bytes as they are; "\n" in the argument stands for CR LF.
void writeFile(const QString& path, QByteArray content) {
    content.replace("\n", "\r\n");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().replace("\r\n", "\n");
}

std::string bytes(const QByteArray& b) { return b.toStdString(); }

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { QDir::setCurrent(startDir_); }

    void readSettings_data();
    void readSettings();
    void emptyWorkFolderBecomesTheCurrentDirectory();
    void writeSettings_data();
    void writeSettings();
    void unwritableFolderKeepsTheValues();

private:
    QString startDir_ = QDir::currentPath();
    QTemporaryDir tmp_;
    QString program_;  // the program settings file
    QString folder_;   // the work folder's settings file
    RunState run_;
};

void SettingsTest::init() {
    QVERIFY(tmp_.isValid());
    QDir root(tmp_.path());
    root.removeRecursively();
    QVERIFY(QDir().mkpath(tmp_.path() + "/textos"));
    QVERIFY(QDir::setCurrent(tmp_.path()));
    run_ = RunState{};
    run_.SetStartValues();
    program_ = QString::fromStdString(run_.programSettingsFile);
    folder_ = QString::fromStdString(run_.workFolder) + "/velloq.ini";
    run_.templateFile = run_.author = run_.contact = "stale";
}

void SettingsTest::readSettings_data() {
    QTest::addColumn<QByteArray>("folderFile");   // "" for no file
    QTest::addColumn<QByteArray>("programFile");  // "" for no file
    QTest::addColumn<QByteArray>("templateFile");
    QTest::addColumn<QByteArray>("author");
    QTest::addColumn<QByteArray>("contact");
    const QByteArray contact = settings::kDefaultContact;

    QTest::newRow("no settings anywhere") << QByteArray() << QByteArray()
        << QByteArray("modeloMat.mdl") << QByteArray("Fulano de Tal") << contact;
    QTest::newRow("folder file gives all")
        << QByteArray("[VELLOQ]\nARQMODELO=aula.mdl\nAUTOR=Ana\nCONTATO=ana@x.br\n")
        << QByteArray("[VELLOQ]\nARQMODELO=p.mdl\nAUTOR=Prog\nCONTATO=p@x.br\n")
        << QByteArray("aula.mdl") << QByteArray("Ana") << QByteArray("ana@x.br");
    QTest::newRow("program file is the fallback") << QByteArray()
        << QByteArray("[VELLOQ]\nARQMODELO=p.mdl\nAUTOR=Prog\nCONTATO=p@x.br\n")
        << QByteArray("p.mdl") << QByteArray("Prog") << QByteArray("p@x.br");
    QTest::newRow("empty folder values fall back")
        << QByteArray("[VELLOQ]\nARQMODELO=\nAUTOR=\nCONTATO=   \n")
        << QByteArray("[VELLOQ]\nAUTOR=Prog\n")
        << QByteArray("modeloMat.mdl") << QByteArray("Prog") << contact;
    QTest::newRow("empty program values") << QByteArray("[VELLOQ]\nAUTOR=\n")
        << QByteArray("[VELLOQ]\nARQMODELO=\nAUTOR=\nCONTATO=\n")
        << QByteArray("modeloMat.mdl") << QByteArray("") << QByteArray("");
    QTest::newRow("keys of another section do not count")
        << QByteArray("[OUTRA]\nAUTOR=Ana\n[VELLOQ]\nCONTATO=c@x.br\n") << QByteArray()
        << QByteArray("modeloMat.mdl") << QByteArray("Fulano de Tal") << QByteArray("c@x.br");
    QTest::newRow("names match in any letter case, blanks and quotes dropped")
        << QByteArray("[velloq]\n  autor =  \"Z\xe9 da Silva\" \nArqModelo='m.mdl'\n") << QByteArray()
        << QByteArray("m.mdl") << QByteArray("Z\xe9 da Silva") << contact;
    QTest::newRow("Windows-1252 bytes kept")
        << QByteArray("[VELLOQ]\nAUTOR=Jo\xe3o Concei\xe7\xe3o\n") << QByteArray()
        << QByteArray("modeloMat.mdl") << QByteArray("Jo\xe3o Concei\xe7\xe3o") << contact;
    QTest::newRow("long value cut to 254") << QByteArray("[VELLOQ]\nAUTOR=" + QByteArray(300, 'a') + "\n")
        << QByteArray() << QByteArray("modeloMat.mdl") << QByteArray(254, 'a') << contact;
}

void SettingsTest::readSettings() {
    QFETCH(QByteArray, folderFile);
    QFETCH(QByteArray, programFile);
    QFETCH(QByteArray, templateFile);
    QFETCH(QByteArray, author);
    QFETCH(QByteArray, contact);
    if (!folderFile.isEmpty()) writeFile(folder_, folderFile);
    if (!programFile.isEmpty()) writeFile(program_, programFile);

    run_.ReadSettings();

    QCOMPARE(run_.templateFile, bytes(templateFile));
    QCOMPARE(run_.author, bytes(author));
    QCOMPARE(run_.contact, bytes(contact));
    // Reading creates nothing.
    if (folderFile.isEmpty()) QVERIFY(!QFile::exists(folder_));
}

void SettingsTest::emptyWorkFolderBecomesTheCurrentDirectory() {
    QVERIFY(QDir::setCurrent(tmp_.path() + "/textos"));
    writeFile(folder_, "[VELLOQ]\nAUTOR=Aqui\n");
    run_.workFolder.clear();
    run_.ReadSettings();
    QCOMPARE(run_.workFolder, QDir(tmp_.path() + "/textos").canonicalPath().toStdString());
    QCOMPARE(run_.author, std::string("Aqui"));
}

void SettingsTest::writeSettings_data() {
    QTest::addColumn<QByteArray>("folderBefore");
    QTest::addColumn<QByteArray>("programBefore");
    QTest::addColumn<QByteArray>("author");
    QTest::addColumn<QByteArray>("folderAfter");
    QTest::addColumn<QByteArray>("programAfter");  // "%W" stands for the work folder
    QTest::newRow("first write creates both files") << QByteArray() << QByteArray() << QByteArray("Ana")
        << QByteArray("[VELLOQ]\nARQMODELO=t.mdl\nAUTOR=Ana\nCONTATO=c@x.br\n")
        << QByteArray("[VELLOQ]\nPASTAPADRAO=%W\n");
    QTest::newRow("empty value written with nothing after =") << QByteArray() << QByteArray() << QByteArray()
        << QByteArray("[VELLOQ]\nARQMODELO=t.mdl\nAUTOR=\nCONTATO=c@x.br\n")
        << QByteArray("[VELLOQ]\nPASTAPADRAO=%W\n");
    QTest::newRow("keys replaced in place, other lines kept")
        << QByteArray("; notas\n[VELLOQ]\nCONTATO=old\nX=1\nAUTOR=old\n\n[OUTRA]\nAUTOR=keep\n")
        << QByteArray("[VELLOQ]\nAUTOR=Prog\narq1=/a\nPASTAPADRAO=/old\narq2=\n")
        << QByteArray("Jo\xe3o")
        << QByteArray("; notas\n[VELLOQ]\nCONTATO=c@x.br\nX=1\nAUTOR=Jo\xe3o\nARQMODELO=t.mdl\n\n[OUTRA]\nAUTOR=keep\n")
        << QByteArray("[VELLOQ]\nAUTOR=Prog\narq1=/a\nPASTAPADRAO=%W\narq2=\n");
}

void SettingsTest::writeSettings() {
    QFETCH(QByteArray, folderBefore);
    QFETCH(QByteArray, programBefore);
    QFETCH(QByteArray, author);
    QFETCH(QByteArray, folderAfter);
    QFETCH(QByteArray, programAfter);
    if (!folderBefore.isEmpty()) writeFile(folder_, folderBefore);
    if (!programBefore.isEmpty()) writeFile(program_, programBefore);
    run_.templateFile = "t.mdl";
    run_.author = bytes(author);
    run_.contact = "c@x.br";

    run_.WriteSettings();

    QCOMPARE(readFile(folder_), folderAfter);
    QCOMPARE(readFile(program_), programAfter.replace("%W", QByteArray::fromStdString(run_.workFolder)));
    // What was written reads back as the same values.
    run_.templateFile = run_.author = run_.contact = "stale";
    run_.ReadSettings();
    QCOMPARE(run_.templateFile, std::string("t.mdl"));
    QCOMPARE(run_.contact, std::string("c@x.br"));
    if (!author.isEmpty()) QCOMPARE(run_.author, bytes(author));
}

void SettingsTest::unwritableFolderKeepsTheValues() {
    // A work folder with an accented name goes into "PASTAPADRAO" as Windows-1252; a folder
    // file that cannot be written is passed over.
    run_.workFolder = tmp_.path().toStdString() + "/não existe";
    run_.templateFile = "t.mdl";
    run_.author = "Ana";
    run_.WriteSettings();
    QVERIFY(!QDir(QString::fromStdString(run_.workFolder)).exists());
    QCOMPARE(run_.author, std::string("Ana"));
    QCOMPARE(readFile(program_), "[VELLOQ]\nPASTAPADRAO=" + tmp_.path().toUtf8() + "/n\xe3o existe\n");
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "settings_test.moc"
