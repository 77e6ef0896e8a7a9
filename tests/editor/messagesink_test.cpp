// The message seam's dialogs: what the user sees and what each answer gives back.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "editor/seams/qtmessagesink.h"
#include "modalanswer.h"

namespace {

QStringList buttonTexts(QMessageBox* box) {
    QStringList out;
    for (QAbstractButton* b : box->buttons()) out << QString::number(box->standardButton(b), 16);
    out.sort();
    return out;
}

}  // namespace

class MessageSinkTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { previous_ = messages::Install(&sink_); }
    void cleanupTestCase() { messages::Install(previous_); }

    void showIsAPlainBoxWithOk();
    void askYesNo_data();
    void askYesNo();
    void askText_data();
    void askText();

private:
    QtMessageSink sink_;
    messages::Sink* previous_ = nullptr;
};

void MessageSinkTest::showIsAPlainBoxWithOk() {
    QString caption, text;
    QStringList buttons;
    Qt::TextFormat format = Qt::AutoText;
    ModalAnswer answer([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        caption = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        buttons = buttonTexts(box);
        QTest::keyClick(box, Qt::Key_Return);
    });
    messages::Show("Pasta de trabalho /tmp/ação está inacessível\rsegunda linha");
    QVERIFY(answer.answered());
    QCOMPARE(caption, QStringLiteral("Velloq"));
    QCOMPARE(text, QStringLiteral("Pasta de trabalho /tmp/ação está inacessível\nsegunda linha"));
    QCOMPARE(buttons, QStringList{QString::number(QMessageBox::Ok, 16)});
    QCOMPARE(format, Qt::PlainText);  // a name holding "<b>" is shown as typed
}

void MessageSinkTest::askYesNo_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("yes");
    QTest::newRow("S for Sim") << int(Qt::Key_S) << true;
    QTest::newRow("N for Não") << int(Qt::Key_N) << false;
    QTest::newRow("Enter takes Yes") << int(Qt::Key_Return) << true;
    QTest::newRow("Esc is No") << int(Qt::Key_Escape) << false;
}

void MessageSinkTest::askYesNo() {
    QFETCH(int, key);
    QFETCH(bool, yes);
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons, captions;
    ModalAnswer answer([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = buttonTexts(box);
        captions = {box->button(QMessageBox::Yes)->text(), box->button(QMessageBox::No)->text()};
        QTest::keyClick(box, Qt::Key(key));
        // An access key presses its button after a short animation.
        if (key == Qt::Key_S || key == Qt::Key_N) QTRY_VERIFY(!box->isVisible());
    });
    const bool answerGiven = messages::AskYesNo("Confirmação", "Texto foi alterado, sai sem salvar?");
    QVERIFY(answer.answered());
    QCOMPARE(answerGiven, yes);
    QCOMPARE(caption, QStringLiteral("Confirmação"));
    QCOMPARE(text, QStringLiteral("Texto foi alterado, sai sem salvar?"));
    QCOMPARE(icon, QMessageBox::Question);
    QStringList expected{QString::number(QMessageBox::Yes, 16), QString::number(QMessageBox::No, 16)};
    expected.sort();
    QCOMPARE(buttons, expected);
    QCOMPARE(captions, (QStringList{QStringLiteral("&Sim"), QStringLiteral("&Não")}));
}

void MessageSinkTest::askText_data() {
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("typed");  // replaces the field's text
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("result");  // "<none>" when cancelled
    QTest::newRow("accented answer") << "" << "Seção ação" << true << "Seção ação";
    QTest::newRow("initial text kept") << "início" << QString() << true << "início";
    QTest::newRow("cancelled") << "" << "7" << false << "<none>";
}

void MessageSinkTest::askText() {
    QFETCH(QString, initial);
    QFETCH(QString, typed);
    QFETCH(bool, confirm);
    QFETCH(QString, result);
    QString caption, prompt, shownInitial;
    ModalAnswer answer([&](QWidget* w) {
        auto* box = qobject_cast<QInputDialog*>(w);
        QVERIFY(box);
        caption = box->windowTitle();
        prompt = box->labelText();
        shownInitial = box->textValue();
        if (!typed.isNull()) box->setTextValue(typed);
        confirm ? box->accept() : box->reject();
    });
    const auto got = messages::AskText("Dimensão da tabela", "Quantas colunas?", initial.toStdString());
    QVERIFY(answer.answered());
    QCOMPARE(caption, QStringLiteral("Dimensão da tabela"));
    QCOMPARE(prompt, QStringLiteral("Quantas colunas?"));
    QCOMPARE(shownInitial, initial);
    QCOMPARE(got ? QString::fromStdString(*got) : QStringLiteral("<none>"), result);
}

QTEST_MAIN(MessageSinkTest)
#include "messagesink_test.moc"
