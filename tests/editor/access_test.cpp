// What a screen reader finds in each window: every stop of the keyboard carries a name, Tab and
// Shift+Tab walk the same ring in opposite directions, and the controls whose names say too
// little carry a description.
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>

#include <QListWidget>

#include "docfixture.h"
#include "entrynames.h"
#include "editor/editing/finddialog.h"
#include "editor/editing/findcommands.h"
#include "editor/editing/insertcommands.h"
#include "editor/editing/linkdialog.h"
#include "editor/editing/figuredialog.h"

namespace {

QString accessible(QWidget* w, QAccessible::Text what) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(what) : QString();
}

// The window of the row, shown and active: the main window, once its start-up step is over,
// or one of its dialogs.
QWidget* shownWindow(DocFixture& f, const QString& name) {
    MainWindow* mainWindow = f.mainWindow.get();
    mainWindow->show();
    mainWindow->activateWindow();
    if (!QTest::qWaitForWindowActive(mainWindow)) return nullptr;
    if (!QTest::qWaitFor([&] { return !f.dialogs.shown.empty(); }, 5000)) return nullptr;
    QWidget* window = mainWindow;
    if (name == "linkDialog") window = LinkDialogOf(mainWindow->parts());
    else if (name == "figureDialog") window = FigureDialogOf(mainWindow->parts());
    else if (name == "findDialog") window = FindDialogOf(mainWindow->parts());
    else if (name == "replaceDialog") window = ReplaceDialogOf(mainWindow->parts());
    else if (name == "workFolderSettingsDialog") window = new WorkFolderSettingsDialog(f.run(), mainWindow);
    if (window == mainWindow) return mainWindow;
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
    void fieldReachedByTabAnnouncesItsFocusFirst_data();
    void fieldReachedByTabAnnouncesItsFocusFirst();
};

void AccessTest::tabRing_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("ring");  // from start, by Tab
    QTest::newRow("main window") << "mainWindow" << "textEdit"
        << QStringList{"textEdit", "fileListBox", "newButton", "openButton", "saveButton", "configButton", "cutButton",
                       "copyButton", "pasteButton", "viewButton", "titleButton", "centreButton", "boldButton", "italicButton", "underlineButton",
                       "fixedWidthButton"};
    QTest::newRow("link") << "linkDialog" << "referenceEdit"
        << QStringList{"referenceEdit", "linkTextEdit", "okButton", "cancelButton", "thisPageChoice"};
    QTest::newRow("figure") << "figureDialog" << "figureNameEdit"
        << QStringList{"figureNameEdit", "browseButton", "figureCommentEdit", "okButton", "cancelButton"};
    QTest::newRow("find") << "findDialog" << "findWhatEdit" << QStringList{"findWhatEdit", "findNextButton", "closeButton"};
    QTest::newRow("replace") << "replaceDialog" << "findWhatEdit"
        << QStringList{"findWhatEdit", "replaceWithEdit", "findNextButton", "replaceButton", "replaceAllButton", "closeButton"};
    QTest::newRow("information") << "workFolderSettingsDialog" << "folderEdit"
        << QStringList{"folderEdit", "templateEdit", "authorEdit", "contactEdit", "Ok", "Cancelar"};
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
    if (shown != f.mainWindow.get()) shown->close();
}

void AccessTest::namesAndDescriptions_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");  // "*" when any is right
    // A text button is named by the entry it stands for ("=id", entrynames.h).
    QTest::newRow("tool bar") << "mainWindow" << "toolBarPanel" << "Barra de ferramentas" << "*";
    QTest::newRow("Título") << "mainWindow" << "titleButton" << "=title" << "Faz da linha do cursor um título";
    QTest::newRow("Centralizado") << "mainWindow" << "centreButton" << "=centred" << "Centraliza a seleção";
    QTest::newRow("Negrito") << "mainWindow" << "boldButton" << "=bold" << "Põe a seleção em negrito";
    QTest::newRow("Itálico") << "mainWindow" << "italicButton" << "=italic" << "Põe a seleção em itálico";
    QTest::newRow("Sublinhado") << "mainWindow" << "underlineButton" << "=underline" << "Sublinha a seleção";
    QTest::newRow("Espacejamento fixo") << "mainWindow" << "fixedWidthButton" << "=fixedWidth"
                                        << "Põe a seleção em espaçamento fixo";
    QTest::newRow("Novo") << "mainWindow" << "newButton" << "Arquivo novo" << "*";
    QTest::newRow("editor") << "mainWindow" << "textEdit" << "Texto do documento" << "*";
    QTest::newRow("file list") << "mainWindow" << "fileListBox" << "Arquivos da pasta de trabalho" << "*";
    QTest::newRow("link Cancelar") << "linkDialog" << "cancelButton" << "Cancelar" << "*";
    QTest::newRow("figure Cancelar") << "figureDialog" << "cancelButton" << "Cancelar" << "*";
    QTest::newRow("find field") << "findDialog" << "findWhatEdit" << "Localizar:" << "*";
    QTest::newRow("replace field") << "replaceDialog" << "findWhatEdit" << "Localizar:" << "*";
    QTest::newRow("replacement field") << "replaceDialog" << "replaceWithEdit" << "Substituir por:" << "*";
    QTest::newRow("Substituir") << "replaceDialog" << "replaceButton" << "Substituir" << "*";
    QTest::newRow("Substituir todas") << "replaceDialog" << "replaceAllButton" << "Substituir todas" << "*";
    QTest::newRow("Fechar") << "replaceDialog" << "closeButton" << "Fechar" << "*";
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
    QCOMPARE(accessible(w, QAccessible::Name), ExpectedName(*f.mainWindow, name));
    if (description != "*") QCOMPARE(accessible(w, QAccessible::Description), description);
    if (shown != f.mainWindow.get()) shown->close();
}

void AccessTest::fieldReachedByTabAnnouncesItsFocusFirst_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty link text") << "linkDialog" << "referenceEdit" << "linkTextEdit" << "";
    QTest::newRow("empty replacement") << "replaceDialog" << "findWhatEdit" << "replaceWithEdit" << "";
    QTest::newRow("filled replacement") << "replaceDialog" << "findWhatEdit" << "replaceWithEdit" << "abc";
}

void AccessTest::fieldReachedByTabAnnouncesItsFocusFirst() {
    QFETCH(QString, window);
    QFETCH(QString, from);
    QFETCH(QString, field);
    QFETCH(QString, text);
    MainWindow mainWindow;
    mainWindow.show();
    QDialog* dialog = window == "linkDialog" ? static_cast<QDialog*>(LinkDialogOf(mainWindow.parts())) : ReplaceDialogOf(mainWindow.parts());
    dialog->show();
    dialog->activateWindow();
    QTRY_VERIFY(dialog->isActiveWindow());
    auto* start = dialog->findChild<QWidget*>(from);
    auto* target = dialog->findChild<QLineEdit*>(field);
    target->setText(text);
    start->setFocus(Qt::OtherFocusReason);
    // A field tells screen readers of its selection as it signals it, and it does so before
    // the window tells them of the focus.
    QSignalSpy selection(target, &QLineEdit::selectionChanged);

    QTest::keyClick(start, Qt::Key_Tab);

    QCOMPARE(QApplication::focusWidget(), target);
    QCOMPARE(selection.count(), text.isEmpty() ? 0 : 1);
    // A filled field is still selected whole by Tab, ready to be typed over.
    QCOMPARE(target->selectedText(), text);
    dialog->close();
}

QTEST_MAIN(AccessTest)
#include "access_test.moc"
