// The questions that throw work away answer No to Enter, and failures come with the warning
// icon: which command asks or reports what, and how the desktop's boxes take the keys.
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <QListWidget>

#include "docfixture.h"
#include "editor/documents/documents.h"
#include "editor/seams/qtmessagesink.h"
#include "modalanswer.h"

class QuestionsTest : public QObject {
    Q_OBJECT
private slots:
    void discardingQuestionsDefaultToNo_data();
    void discardingQuestionsDefaultToNo();
    void failuresAreWarnings_data();
    void failuresAreWarnings();
    void boxKeys_data();
    void boxKeys();
};

void QuestionsTest::discardingQuestionsDefaultToNo_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("question");
    QTest::newRow("Nova página") << "newPage" << "Confirmando apagamento geral";
    QTest::newRow("Abrir texto") << "openFile" << kLoadAnother;
    QTest::newRow("quit") << "quit" << "Texto foi alterado, sai sem salvar?";
    QTest::newRow("closing the window") << "close" << "Termina o programa sem salvar a edição?";
    QTest::newRow("extension button") << "mdlFilterButton" << kLoadAnother;
    QTest::newRow("reopen entry") << "reopen" << kLoadAnother;
    QTest::newRow("file list") << "pick" << kLoadAnother;
    QTest::newRow("save as over a file") << "saveAs" << "O arquivo %1/aula.vloq já existe. Substitui?";
}

void QuestionsTest::discardingQuestionsDefaultToNo() {
    QFETCH(QString, command);
    QFETCH(QString, question);
    DocFixture f;
    writeBytes(f.textos() + "/aula.vloq", "velho");
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    f.type("novo");
    f.sink.calls.clear();
    if (command == "close") {
        f.mainWindow->close();
    } else if (command == "mdlFilterButton") {
        f.mainWindow->button(command)->click();
    } else if (command == "reopen") {
        f.commands.workFolder->ReopenFolder(f.textos().toStdString());
    } else if (command == "pick") {
        f.commands.workFolder->openPickedEntry("aula.vloq");
    } else {
        if (command == "saveAs") f.dialogs.chooseFile(f.textos() + "/aula");
        f.trigger(command.toLatin1().constData());
    }
    const std::string asked = (question.contains("%1") ? question.arg(f.textos()) : question).toStdString();
    QCOMPARE(f.sink.calls, std::vector<std::string>{"AskYesNo: " + asked});
    QCOMPARE(f.sink.noByDefault, std::vector<std::string>{asked});
    // Answered No: the text stays.
    QCOMPARE(f.text(), std::string("novo"));
    QCOMPARE(readBytes(f.textos() + "/aula.vloq"), QByteArray("velho"));
}

void QuestionsTest::failuresAreWarnings_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");  // its start; %1 is the start folder
    QTest::newRow("folder gone") << "reopen" << "Diretório não existe";
    QTest::newRow("folder inaccessible") << "open" << "Pasta de trabalho %1/sumiu está inacessível";
    QTest::newRow("file unreadable") << "pick" << "Erro ao abrir o arquivo nada.vloq: ";
    QTest::newRow("file unwritable") << "save" << "Erro ao gravar o arquivo %1/sumiu/a.vloq: ";
    QTest::newRow("file too large") << "big" << "O arquivo %1/textos/grande.vloq é grande demais";
}

void QuestionsTest::failuresAreWarnings() {
    QFETCH(QString, command);
    QFETCH(QString, message);
    DocFixture f;
    f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
    const std::string gone = (f.start + "/sumiu").toStdString();
    f.sink.calls.clear();
    if (command == "reopen") f.commands.workFolder->ReopenFolder(gone);
    else if (command == "open") f.commands.workFolder->OpenWorkFolder(gone);
    else if (command == "pick") f.commands.workFolder->openPickedEntry("nada.vloq");
    else if (command == "big") {
        QFile big(f.textos() + "/grande.vloq");
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(300) << 20));
        big.close();
        f.commands.documents->LoadDocument((f.textos() + "/grande.vloq").toStdString());
    }
    else f.commands.documents->WriteDocument(gone + "/a.vloq");
    QCOMPARE(f.sink.warnings.size(), size_t(1));
    const QString shown = QString::fromStdString(f.sink.warnings[0]);
    QVERIFY2(shown.startsWith(message.contains("%1") ? message.arg(f.start) : message), qPrintable(shown));
    QCOMPARE(f.sink.calls, std::vector<std::string>{"Show: " + f.sink.warnings[0]});
}

void QuestionsTest::boxKeys_data() {
    QTest::addColumn<QString>("kind");  // "yes-no", "discard", "show", "information", "warning"
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("icon");
    QTest::newRow("question: Enter is Sim") << "yes-no" << int(Qt::Key_Return) << true << int(QMessageBox::Question);
    QTest::newRow("question: Esc is Não") << "yes-no" << int(Qt::Key_Escape) << false << int(QMessageBox::Question);
    QTest::newRow("discarding: Enter is Não") << "discard" << int(Qt::Key_Return) << false << int(QMessageBox::Question);
    QTest::newRow("discarding: Esc is Não") << "discard" << int(Qt::Key_Escape) << false << int(QMessageBox::Question);
    QTest::newRow("discarding: Space on the first focus is Não")
        << "discard" << int(Qt::Key_Space) << false << int(QMessageBox::Question);
    QTest::newRow("discarding: S is Sim") << "discard" << int(Qt::Key_S) << true << int(QMessageBox::Question);
    QTest::newRow("message: no icon") << "show" << int(Qt::Key_Return) << false << int(QMessageBox::NoIcon);
    QTest::newRow("information icon") << "information" << int(Qt::Key_Return) << false << int(QMessageBox::Information);
    QTest::newRow("warning icon") << "warning" << int(Qt::Key_Return) << false << int(QMessageBox::Warning);
}

void QuestionsTest::boxKeys() {
    QFETCH(QString, kind);
    QFETCH(int, key);
    QFETCH(bool, yes);
    QFETCH(int, icon);
    QtMessageSink desktop;
    messages::Sink* previous = messages::Install(&desktop);
    int shownIcon = -1;
    ModalAnswer answer([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        shownIcon = box->icon();
        // The key goes where the keyboard is, as a user's would.
        QWidget* focused = box->focusWidget() ? box->focusWidget() : box;
        QTest::keyClick(focused, Qt::Key(key));
        QTRY_VERIFY(!box->isVisible());
    });
    bool got = false;
    const std::string text = "Texto foi alterado, sai sem salvar?";
    if (kind == "yes-no") got = messages::AskYesNo("Confirmação", text);
    else if (kind == "discard") got = messages::AskDiscard("Confirmação", text);
    else if (kind == "show") messages::Show(text);
    else if (kind == "information") messages::ShowInformation(text);
    else messages::ShowWarning(text);
    messages::Install(previous);
    QVERIFY(answer.answered());
    QCOMPARE(got, yes);
    QCOMPARE(shownIcon, icon);
}

QTEST_MAIN(QuestionsTest)
#include "questions_test.moc"
