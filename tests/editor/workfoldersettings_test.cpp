// The document-information dialog: its fields and their order, filling on every showing, and
// what "Ok", "Cancelar" and the window frame leave in the variables and on disk.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "editor/workfolder/workfoldersettingsdialog.h"
#include "editor/state/runstate.h"
#include "editor/mainwindow/mainwindow.h"
#include "modalanswer.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll();
}

}  // namespace

class InfoDocTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { QDir::setCurrent(startDir_); }

    void controlsInTabOrder();
    void accessibleNames_data();
    void accessibleNames();
    void filledOnEveryShowing();
    void closing_data();
    void closing();
    void firstStartThroughTheMenu();

private:
    QString startDir_ = QDir::currentPath();
    QTemporaryDir tmp_;
    RunState run_;
};

void InfoDocTest::init() {
    QVERIFY(tmp_.isValid());
    QDir(tmp_.path()).removeRecursively();
    QVERIFY(QDir().mkpath(tmp_.path() + "/textos"));
    QVERIFY(QDir::setCurrent(tmp_.path()));
    run_ = RunState{};
    run_.SetStartValues();
    run_.ReadSettings();
}

void InfoDocTest::controlsInTabOrder() {
    WorkFolderSettingsDialog dialog(run_);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Informações padrões"));
    QVERIFY(dialog.folderEdit->isReadOnly());
    QVERIFY(!dialog.makeDefaultCheck->isEnabled());
    QVERIFY(!dialog.makeDefaultCheck->isChecked());

    const QStringList order{"folderEdit", "templateEdit", "authorEdit", "contactEdit", "makeDefaultCheck", "Ok", "Cancelar"};
    QWidget* w = dialog.folderEdit;
    QStringList seen;
    for (int i = 0; i < order.size(); ++i) {
        seen << w->objectName();
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || w->objectName().isEmpty());
    }
    QCOMPARE(seen, order);
}

void InfoDocTest::accessibleNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("folder") << "folderEdit" << "Pasta atual:";
    QTest::newRow("template") << "templateEdit" << "Modelo";
    QTest::newRow("author") << "authorEdit" << "Autor";
    QTest::newRow("contact") << "contactEdit" << "Contato";
    QTest::newRow("default box") << "makeDefaultCheck" << "Transforma em padrão";
    QTest::newRow("ok") << "Ok" << "Ok";
    QTest::newRow("cancel") << "Cancelar" << "Cancelar";
}

void InfoDocTest::accessibleNames() {
    QFETCH(QString, name);
    QFETCH(QString, spoken);
    WorkFolderSettingsDialog dialog(run_);
    dialog.show();
    QWidget* widget = dialog.findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name), spoken);
    dialog.reject();
}

void InfoDocTest::filledOnEveryShowing() {
    WorkFolderSettingsDialog dialog(run_);
    run_.workFolder = "/pasta/ação";
    run_.templateFile = "a.mdl";
    run_.author = "Jo\xe3o";  // Windows-1252, as read from a settings file
    run_.contact = "j@x.br";
    dialog.show();
    QCOMPARE(dialog.folderEdit->text(), QStringLiteral("/pasta/ação"));
    QCOMPARE(dialog.templateEdit->text(), QStringLiteral("a.mdl"));
    QCOMPARE(dialog.authorEdit->text(), QStringLiteral("João"));
    QCOMPARE(dialog.contactEdit->text(), QStringLiteral("j@x.br"));
    dialog.authorEdit->setText("typed, then cancelled");
    dialog.reject();

    run_.author = "Maria";
    dialog.show();
    QCOMPARE(dialog.authorEdit->text(), QStringLiteral("Maria"));
    dialog.reject();
}

void InfoDocTest::closing_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("stored");
    QTest::newRow("Ok") << "Ok" << true;
    QTest::newRow("Enter in a field") << "Enter" << true;
    QTest::newRow("Cancelar") << "Cancelar" << false;
    QTest::newRow("window frame") << "frame" << false;
    QTest::newRow("Esc") << "Esc" << false;
}

void InfoDocTest::closing() {
    QFETCH(QString, how);
    QFETCH(bool, stored);
    const QString folderFile = tmp_.path() + "/textos/velloq.ini";
    const QString programFile = tmp_.path() + "/velloq.ini";
    WorkFolderSettingsDialog dialog(run_);

    ModalAnswer answer([&](QWidget* w) {
        QCOMPARE(w, static_cast<QWidget*>(&dialog));
        dialog.templateEdit->setText(" outro.mdl ");
        dialog.authorEdit->setText(QStringLiteral("Zé Ção"));
        dialog.contactEdit->setText("");
        if (how == "Ok") QTest::mouseClick(dialog.Ok, Qt::LeftButton);
        else if (how == "Enter") QTest::keyClick(dialog.authorEdit, Qt::Key_Return);
        else if (how == "Cancelar") QTest::mouseClick(dialog.Cancelar, Qt::LeftButton);
        else if (how == "frame") dialog.close();
        else QTest::keyClick(dialog.authorEdit, Qt::Key_Escape);
    });
    const int result = dialog.exec();
    QVERIFY(answer.answered());
    QCOMPARE(result == QDialog::Accepted, stored);

    if (!stored) {
        QCOMPARE(run_.templateFile, std::string("modeloMat.mdl"));
        QCOMPARE(run_.author, std::string("Fulano de Tal"));
        QCOMPARE(run_.contact, std::string(settings::kDefaultContact));
        QVERIFY(!QFile::exists(folderFile));
        QVERIFY(!QFile::exists(programFile));
        return;
    }
    // Stored as typed: no trimming, an empty contact stays empty.
    QCOMPARE(run_.templateFile, std::string(" outro.mdl "));
    QCOMPARE(run_.author, std::string("Z\xe9 \xc7\xe3o"));
    QCOMPARE(run_.contact, std::string());
    QCOMPARE(readFile(folderFile), QByteArray("[VELLOQ]\r\nARQMODELO= outro.mdl \r\nAUTOR=Z\xe9 \xc7\xe3o\r\nCONTATO=\r\n"));
    QCOMPARE(readFile(programFile), "[VELLOQ]\r\nPASTAPADRAO=" + tmp_.path().toUtf8() + "/textos\r\n");
}

void InfoDocTest::firstStartThroughTheMenu() {
    // No settings anywhere: the dialog shows the defaults, and confirming it unchanged
    // creates the folder's settings file and names the folder in the program's.
    MainWindow mainWindow;
    WorkFolderSettingsDialog dialog(mainWindow.runState(), &mainWindow);
    mainWindow.setInfoDialog(&dialog);
    mainWindow.show();
    mainWindow.runState().ReadSettings();
    QStringList shown;
    ModalAnswer answer([&](QWidget* w) {
        QCOMPARE(w, static_cast<QWidget*>(&dialog));
        shown << dialog.folderEdit->text() << dialog.templateEdit->text() << dialog.authorEdit->text();
        QTest::mouseClick(dialog.Ok, Qt::LeftButton);
    });
    mainWindow.action("workFolderSettings")->trigger();
    QVERIFY(answer.answered());
    QCOMPARE(shown, QStringList({tmp_.path() + "/textos", "modeloMat.mdl", "Fulano de Tal"}));
    QCOMPARE(readFile(tmp_.path() + "/textos/velloq.ini"),
             "[VELLOQ]\r\nARQMODELO=modeloMat.mdl\r\nAUTOR=Fulano de Tal\r\nCONTATO=" +
                 QByteArray(settings::kDefaultContact) + "\r\n");
    QCOMPARE(readFile(tmp_.path() + "/velloq.ini"), "[VELLOQ]\r\nPASTAPADRAO=" + tmp_.path().toUtf8() + "/textos\r\n");
}

QTEST_MAIN(InfoDocTest)
#include "workfoldersettings_test.moc"
