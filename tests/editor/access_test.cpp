// What a screen reader finds in each window: every stop of the keyboard carries a name, Tab and
// Shift+Tab walk the same ring in opposite directions, and the controls whose names say too
// little carry a description.
#include <QAccessible>
#include <QApplication>

#include <QListWidget>

#include "docfixture.h"
#include "editor/finddialog.h"
#include "editor/insertcommands.h"
#include "editor/uelo.h"
#include "editor/ufigura.h"

namespace {

QString accessible(QWidget* w, QAccessible::Text what) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(what) : QString();
}

// The window of the row, shown and active: the main window, once its start-up step is over,
// or one of its dialogs.
QWidget* shownWindow(DocFixture& f, const QString& name) {
    TForm1* form = f.form.get();
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form)) return nullptr;
    if (!QTest::qWaitFor([&] { return !f.dialogs.shown.empty(); }, 5000)) return nullptr;
    QWidget* window = form;
    if (name == "OKEloDlg") window = LinkDialog(form);
    else if (name == "OKFiguraDlg") window = FigureDialog(form);
    else if (name == "FindDialog1") window = FindDialog(form);
    else if (name == "ReplaceDialog1") window = ReplaceDialog(form);
    else if (name == "form_infoDoc") window = new Tform_infoDoc(form);
    if (window == form) return form;
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window) ? window : nullptr;
}

// The objectNames of the focus stops of start's window met by pressing Tab (or Shift+Tab)
// from start until the focus comes back to start (or 60 presses), start first.
QStringList walk(QWidget* start, bool backwards) {
    start->setFocus(Qt::TabFocusReason);
    QStringList stops;
    QWidget* at = start;
    for (int press = 0; press < 60; ++press) {
        stops << at->objectName();
        // Shift+Tab comes from the keyboard as Backtab.
        if (backwards) QTest::keyClick(at, Qt::Key_Backtab, Qt::ShiftModifier);
        else QTest::keyClick(at, Qt::Key_Tab);
        QWidget* next = start->window()->focusWidget();
        if (!next || next == start) break;
        at = next;
    }
    return stops;
}

}  // namespace

class AccessTest : public QObject {
    Q_OBJECT
private slots:
    void tabRing_data();
    void tabRing();
    void namesAndDescriptions_data();
    void namesAndDescriptions();
};

void AccessTest::tabRing_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("ring");  // from start, by Tab
    QTest::newRow("main window") << "Form1" << "Memo1"
        << QStringList{"Memo1", "lb_arquivos", "newButton1", "OpenButton", "saveButton", "ConfigBtn", "CutBtn",
                       "CopyBtn", "PasteBtn", "genvisBtn", "TituloBtn", "CentrBtn", "negBtn", "itaBtn", "sublBtn",
                       "LargFixaBtn"};
    QTest::newRow("link") << "OKEloDlg" << "e_referencia"
        << QStringList{"e_referencia", "e_texto", "OKBtn", "CancelBtn", "r_nesteSite"};
    QTest::newRow("figure") << "OKFiguraDlg" << "e_nomeFig"
        << QStringList{"e_nomeFig", "b_procurar", "e_comentFig", "OKBtn", "CancelBtn"};
    QTest::newRow("find") << "FindDialog1" << "e_localizar" << QStringList{"e_localizar", "b_proxima", "b_fechar"};
    QTest::newRow("replace") << "ReplaceDialog1" << "e_localizar"
        << QStringList{"e_localizar", "e_substituir", "b_proxima", "b_substituir", "b_todas", "b_fechar"};
    QTest::newRow("information") << "form_infoDoc" << "e_pasta"
        << QStringList{"e_pasta", "e_modelo", "e_autor", "e_contato", "Ok", "Cancelar"};
}

void AccessTest::tabRing() {
    QFETCH(QString, window);
    QFETCH(QString, start);
    QFETCH(QStringList, ring);
    DocFixture f;
    QWidget* shown = shownWindow(f, window);
    QVERIFY(shown);
    auto* first = shown->findChild<QWidget*>(start);
    QVERIFY(first);

    QCOMPARE(walk(first, false), ring);
    QStringList back{ring.front()};
    for (qsizetype i = ring.size() - 1; i > 0; --i) back << ring[i];
    QCOMPARE(walk(first, true), back);
    // Each stop is named, so that no Tab press leads to silence.
    for (const QString& stop : ring) {
        auto* w = shown->findChild<QWidget*>(stop);
        QVERIFY2(w && !accessible(w, QAccessible::Name).isEmpty(), qPrintable(stop));
    }
    if (shown != f.form.get()) shown->close();
}

void AccessTest::namesAndDescriptions_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");  // "*" when any is right
    QTest::newRow("tool bar") << "Form1" << "Panel1" << "Barra de ferramentas" << "*";
    QTest::newRow("Título") << "Form1" << "TituloBtn" << "Título" << "Faz da linha do cursor um título";
    QTest::newRow("Centralizado") << "Form1" << "CentrBtn" << "Centralizado" << "Centraliza a seleção";
    QTest::newRow("Negrito") << "Form1" << "negBtn" << "Negrito" << "Põe a seleção em negrito";
    QTest::newRow("Itálico") << "Form1" << "itaBtn" << "Itálico" << "Põe a seleção em itálico";
    QTest::newRow("Sublinhado") << "Form1" << "sublBtn" << "Sublinhado" << "Sublinha a seleção";
    QTest::newRow("Espacejamento fixo") << "Form1" << "LargFixaBtn" << "Espacejamento fixo"
                                        << "Põe a seleção em espaçamento fixo";
    QTest::newRow("Novo") << "Form1" << "newButton1" << "Arquivo novo" << "*";
    QTest::newRow("editor") << "Form1" << "Memo1" << "Texto do documento" << "*";
    QTest::newRow("file list") << "Form1" << "lb_arquivos" << "Arquivos da pasta de trabalho" << "*";
    QTest::newRow("link Cancelar") << "OKEloDlg" << "CancelBtn" << "Cancelar" << "*";
    QTest::newRow("figure Cancelar") << "OKFiguraDlg" << "CancelBtn" << "Cancelar" << "*";
    QTest::newRow("find field") << "FindDialog1" << "e_localizar" << "Localizar:" << "*";
    QTest::newRow("replace field") << "ReplaceDialog1" << "e_localizar" << "Localizar:" << "*";
    QTest::newRow("replacement field") << "ReplaceDialog1" << "e_substituir" << "Substituir por:" << "*";
    QTest::newRow("Substituir") << "ReplaceDialog1" << "b_substituir" << "Substituir" << "*";
    QTest::newRow("Substituir todas") << "ReplaceDialog1" << "b_todas" << "Substituir todas" << "*";
    QTest::newRow("Fechar") << "ReplaceDialog1" << "b_fechar" << "Fechar" << "*";
}

void AccessTest::namesAndDescriptions() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    DocFixture f;
    QWidget* shown = shownWindow(f, window);
    QVERIFY(shown);
    auto* w = shown->findChild<QWidget*>(control);
    QVERIFY2(w, qPrintable(control));
    QCOMPARE(accessible(w, QAccessible::Name), name);
    if (description != "*") QCOMPARE(accessible(w, QAccessible::Description), description);
    if (shown != f.form.get()) shown->close();
}

QTEST_MAIN(AccessTest)
#include "access_test.moc"
