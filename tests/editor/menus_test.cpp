// The menus as a keyboard user meets them: the keyboard comes back to the text after every way
// out of a menu; each open menu is named; check entries tell their state; the formula
// catalogue's entries are named by their readings.
#include <QAccessible>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QAction>
#include <QSignalBlocker>
#include <memory>

#include "docfixture.h"
#include "modalanswer.h"

namespace {

// The widget that a key typed now reaches: the open menu's, else the one with the focus.
QWidget* keyTarget() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    if (QWidget* focus = QApplication::focusWidget()) return focus;
    return QApplication::activeWindow();
}

// Presses one key as the keyboard would: "Alt+A", "Esc", "Alt" (pressed and released alone),
// "Down", "Up", "Enter".
void press(const QString& key) {
    QWidget* to = keyTarget();
    if (key == "Alt") {
        QTest::keyPress(to, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(keyTarget(), Qt::Key_Alt, Qt::NoModifier);
    } else if (key.startsWith("Alt+")) {
        QTest::keyClick(to, key.at(4).toLatin1(), Qt::AltModifier);
    } else if (key == "Esc") {
        QTest::keyClick(to, Qt::Key_Escape);
    } else if (key == "Down") {
        QTest::keyClick(to, Qt::Key_Down);
    } else if (key == "Up") {
        QTest::keyClick(to, Qt::Key_Up);
    } else if (key == "Enter") {
        QTest::keyClick(to, Qt::Key_Return);
    } else {
        QFAIL(qPrintable("unknown key " + key));
    }
}

QAccessibleInterface* entryInterface(QAction* entry) {
    QMenu* menu = nullptr;
    for (QObject* o : entry->associatedObjects())
        if ((menu = qobject_cast<QMenu*>(o))) break;
    if (!menu) return nullptr;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(menu);
    return list ? list->child(int(menu->actions().indexOf(entry))) : nullptr;
}

// Every entry of the menus under menu, submenus included, with its interface.
void everyEntry(QMenu* menu, QList<QPair<QAction*, QAccessibleInterface*>>& out) {
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(menu);
    for (qsizetype i = 0; i < menu->actions().size(); ++i) {
        QAction* entry = menu->actions()[i];
        if (entry->isSeparator()) continue;
        out.append({entry, list->child(int(i))});
        if (entry->menu()) everyEntry(entry->menu(), out);
    }
}

}  // namespace

class MenusTest : public QObject {
    Q_OBJECT
private slots:
    void keyboardComesBackToTheText_data();
    void keyboardComesBackToTheText();
    void openMenusAreNamed_data();
    void openMenusAreNamed();
    void checkEntriesTellTheirState_data();
    void checkEntriesTellTheirState();
    void catalogueEntriesNamedByTheirReading_data();
    void catalogueEntriesNamedByTheirReading();
    void noNameHoldsNotation();
};

void MenusTest::keyboardComesBackToTheText_data() {
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("dialog");  // the last key opens a dialog, which Esc closes
    // "Silenciar" under "Falar" (Alt+F twice: "Formatação" comes first) and "Fonte" under
    // "Configurar", a command and a dialog.
    const QStringList silence{"Alt+F", "Alt+F", "Down", "Down", "Down", "Enter"};
    const QStringList font{"Alt+C", "Down", "Down", "Enter"};
    QTest::newRow("a command") << silence << false;
    QTest::newRow("Esc, Esc") << QStringList{"Alt+A", "Esc", "Esc"} << false;
    QTest::newRow("Esc, Alt") << QStringList{"Alt+A", "Esc", "Alt"} << false;
    QTest::newRow("a dialog") << font << true;
    // The menu bar left active by Esc, then a menu opened by its Alt letter.
    QTest::newRow("Esc, then a command") << QStringList{"Alt+A", "Esc"} + silence << false;
    QTest::newRow("Esc, a menu, Esc, Esc") << QStringList{"Alt+A", "Esc", "Alt+F", "Esc", "Esc"} << false;
    QTest::newRow("Esc, a menu, Esc, Alt") << QStringList{"Alt+A", "Esc", "Alt+F", "Esc", "Alt"} << false;
    QTest::newRow("Esc, a menu, Alt") << QStringList{"Alt+A", "Esc", "Alt+F", "Alt"} << false;
    QTest::newRow("Esc, then a dialog") << QStringList{"Alt+A", "Esc"} + font << true;
}

void MenusTest::keyboardComesBackToTheText() {
    QFETCH(QStringList, keys);
    QFETCH(bool, dialog);
    DocFixture f;
    f.mainWindow->show();
    f.mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.mainWindow.get()));
    f.mainWindow->textEdit->setFocus();
    std::unique_ptr<ModalAnswer> closer;
    if (dialog)
        closer = std::make_unique<ModalAnswer>([](QWidget* w) {
            // Esc once the dialog has the keyboard, as a user presses it.
            if (QTest::qWaitForWindowActive(w)) QTest::keyClick(keyTarget(), Qt::Key_Escape);
        });
    for (const QString& key : keys) {
        press(key);
        QCoreApplication::processEvents();
    }
    if (closer) QTRY_VERIFY(closer->answered());
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.mainWindow->textEdit));
    // Typed letters reach the text.
    QTest::keyClicks(keyTarget(), "xy");
    QVERIFY(f.mainWindow->textEdit->toPlainText().endsWith(QStringLiteral("xy")));
}

// An empty name stands for the menu's own caption without its Alt mark (the captions
// themselves are checked, with their marks, by the command map's test).
void MenusTest::openMenusAreNamed_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("name");
    for (const char* menu : {"fileMenu", "reopenMenu", "editMenu", "insertMenu", "indentMenu", "mathMenu",
                             "formulaGroup2", "formatMenu", "sizeMenu", "settingsMenu", "speechMenu"})
        QTest::newRow(menu) << menu << QString();
    QTest::newRow("?") << "helpMenu" << "Ajuda";  // its caption "?" is no word
}

void MenusTest::openMenusAreNamed() {
    QFETCH(QString, menu);
    QFETCH(QString, name);
    DocFixture f;
    auto* popup = f.mainWindow->findChild<QMenu*>(menu);
    QVERIFY(popup);
    if (name.isEmpty()) {
        name = popup->menuAction()->text().remove(QLatin1Char('&'));
        QVERIFY(!name.isEmpty());
    }
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(popup);
    QVERIFY(face);
    QCOMPARE(face->text(QAccessible::Name), name);
}

void MenusTest::checkEntriesTellTheirState_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("checkable");
    QTest::newRow("not checked") << "connectAutomatically" << false << "Ligar Ormivox automaticamente" << true;
    QTest::newRow("checked") << "connectAutomatically" << true << "Ligar Ormivox automaticamente" << true;
    QTest::newRow("a command") << "connectSpeech" << false << "Ligar Ormivox" << false;
}

void MenusTest::checkEntriesTellTheirState() {
    QFETCH(QString, entry);
    QFETCH(bool, checked);
    QFETCH(QString, name);
    QFETCH(bool, checkable);
    DocFixture f;
    QAction* action = f.mainWindow->action(entry);
    QSignalBlocker quiet(action);  // the state only, not the command
    action->setChecked(checked);
    QAccessibleInterface* face = entryInterface(action);
    QVERIFY(face);
    QCOMPARE(face->text(QAccessible::Name), name);
    QCOMPARE(bool(face->state().checkable), checkable);
    QCOMPARE(bool(face->state().checked), checked);
    QCOMPARE(face->role(), checkable ? QAccessible::CheckBox : QAccessible::MenuItem);
    // Its menu still finds it among its entries.
    QCOMPARE(face->parent()->indexOfChild(face), int(qobject_cast<QMenu*>(face->parent()->object())->actions().indexOf(action)));
}

void MenusTest::catalogueEntriesNamedByTheirReading_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");
    QTest::newRow("one formula") << "catalogueFormula2_2" << "Retângulo  `A=cxxl`" << "Retângulo: Á igual a c vezes l";
    QTest::newRow("two formulas") << "catalogueFormula20_1" << "1   `int 1` `dx = x + c, c in RR`"
                                  << "1: integral de 1 d x igual a x mais c, c pertence ao conjunto dos números reais";
    QTest::newRow("words between formulas") << "catalogueFormula20_15"
        << "Fórmula de Barrow   `int_a^b f(x)` `dx = F(b) - F(a)`, onde `F` é primitiva de `f` no intervalo `[a,b]`"
        << "Fórmula de Barrow: integral de á até b de f de x d x igual a F de b menos F de á, onde F é primitiva de f no "
           "intervalo intervalo fechado de á a b";

}

void MenusTest::catalogueEntriesNamedByTheirReading() {
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    QFETCH(QString, name);
    DocFixture f;
    QAction* action = f.mainWindow->action(entry);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);  // the screen shows the notation
    QAccessibleInterface* face = entryInterface(action);
    QVERIFY(face);
    QCOMPARE(face->text(QAccessible::Name), name);
}

void MenusTest::noNameHoldsNotation() {
    DocFixture f;
    QList<QPair<QAction*, QAccessibleInterface*>> entries;
    for (QAction* top : f.mainWindow->mainMenu->actions())
        if (top->menu()) everyEntry(top->menu(), entries);
    QVERIFY(entries.size() > 233);
    for (const auto& [entry, face] : entries) {
        QVERIFY2(face, qPrintable(entry->objectName()));
        const QString name = face->text(QAccessible::Name);
        QVERIFY2(!name.contains(QLatin1Char('`')), qPrintable(name));
        if (entry->isVisible()) QVERIFY2(!name.trimmed().isEmpty(), qPrintable(entry->objectName()));
    }
}

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
