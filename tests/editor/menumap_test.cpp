// The main window's command map: menus, captions, separators, shortcuts, tool buttons, and
// the entries that have no command.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <QShortcut>

#include "docfixture.h"
#include "editor/catalogue/catalogue.h"
#include "editor/mainwindow/mainwindow.h"
#include "modalanswer.h"
#include "postedevents.h"

namespace {

// Captions of a menu's shown entries in order, "-" for a separator.
QStringList captions(const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions)
        if (a->isVisible()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

// Every entry reachable from the menu bar, submenus included.
QList<QAction*> menuEntries(const QList<QAction*>& actions) {
    QList<QAction*> out;
    for (QAction* a : actions) {
        out << a;
        if (a->menu()) out << menuEntries(a->menu()->actions());
    }
    return out;
}

// Every key that mainWindow binds to a command: entry and button shortcuts and free shortcuts of
// the window itself (a dialog's keys live in its own window), with who binds it.
QMultiMap<QString, QString> boundKeys(QWidget* mainWindow) {
    QMultiMap<QString, QString> keys;
    auto inForm = [mainWindow](QObject* owner) {
        auto* widget = qobject_cast<QWidget*>(owner);
        return widget && widget->window() == mainWindow;
    };
    for (QAction* a : mainWindow->findChildren<QAction*>())
        if (inForm(a->parent()))
            for (const QKeySequence& k : a->shortcuts()) keys.insert(k.toString(), a->objectName());
    for (QAbstractButton* b : mainWindow->findChildren<QAbstractButton*>())
        if (inForm(b) && !b->shortcut().isEmpty()) keys.insert(b->shortcut().toString(), b->objectName());
    for (QShortcut* s : mainWindow->findChildren<QShortcut*>())
        if (inForm(s->parent()))
            for (const QKeySequence& k : s->keys()) keys.insert(k.toString(), s->objectName());
    return keys;
}

// The captions of the catalogue's groups, in the order of its data file.
QStringList catalogueGroupCaptions() {
    QStringList out;
    for (const catalogue::FormulaGroup& group : catalogue::FormulaGroups()) out << QString::fromUtf8(group.caption);
    return out;
}

QStringList visibleTopLevels() {
    QStringList out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) out << w->objectName() + QLatin1Char(':') + w->metaObject()->className();
    out.sort();
    return out;
}

}  // namespace

class MenuMapTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void menuContents_data();
    void menuContents();
    void shortcuts_data();
    void shortcuts();
    void noKeyBoundTwice();
    void visualizarIsACommandOnTheBar();
    void accessKeysOpenTheirMenus_data();
    void accessKeysOpenTheirMenus();
    void toolBar_data();
    void toolBar();
    void noneEntriesChangeNothing_data();
    void noneEntriesChangeNothing();
    void selectAll_data();
    void selectAll();
    void clipboardButtons_data();
    void clipboardButtons();

private:
    MainWindow* form_ = nullptr;
};

void MenuMapTest::init() {
    form_ = new MainWindow;
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
}

void MenuMapTest::cleanup() {
    delete form_;
    form_ = nullptr;
}

void MenuMapTest::menuContents_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("menu bar") << "mainMenu"
        << QStringList{"&Arquivo", "&Editar", "&Inserir", "&Matemática", "&Formatação", "&Configurar",
                       "&Visualizar", "&Falar", "&?"};
    QTest::newRow("Arquivo") << "fileMenu"
        << QStringList{"&Selecionar pasta de trabalho", "&Reabrir pasta de trabalho", "&Exibir pasta atual", "-",
                       "&Nova página", "&Abrir texto", "&Salvar texto", "Salvar texto &Como", "-", "&Imprimir",
                       "Imprimir &Original", "Gerar para impressora &braille", "-", "&Terminar"};
    QTest::newRow("Reabrir") << "reopenMenu" << QStringList{"(nenhuma)"};
    QTest::newRow("Editar") << "editMenu"
        << QStringList{"Desfazer", "-", "Cor&tar", "Copiar", "Colar", "-", "Localizar", "Localizar próxima",
                       "Substituir",
                       "Selecionar Tudo"};
    QTest::newRow("Inserir") << "insertMenu"
        << QStringList{"&Título", "&Linha separadora", "&Imagem", "Recuo", "Fórmula &Matemática",
                       "&Quebra de página", "&Tabela", "&Link", "&Ponto de acesso"};
    QTest::newRow("Recuo") << "indentMenu" << QStringList{">>", "<<"};
    // The formula groups follow the separator, as the catalogue's data file lists them.
    QTest::newRow("Matemática") << "mathMenu"
        << QStringList{"Lista geral de fórmulas", "-"} + catalogueGroupCaptions();
    QTest::newRow("Formatação") << "formatMenu"
        << QStringList{"&Tamanho", "&Negrito", "&Itálico", "&Espacejamento fixo", "&Centralizado", "&Sublinhado"};
    QTest::newRow("Tamanho") << "sizeMenu"
        << QStringList{"H1 (Grande)", "H2", "H3", "H4", "H5", "H6 (Micro)"};
    QTest::newRow("Configurar") << "settingsMenu" << QStringList{"Este texto", "&Sintetizador", "&Fonte", "Setas andam por linhas do &texto",
                                                                 "&Avisar erros de digitação"};
    QTest::newRow("Falar") << "speechMenu"
        << QStringList{"&Fórmula", "Fórmula no &cursor", "&Explorar fórmula", "Linha em &braille", "&Silenciar", "-", "&Ligar Ormivox",
                       "Ligar Ormivox &automaticamente"};
    QTest::newRow("?") << "helpMenu" << QStringList{"&Ajuda", "&Tutorial AsciiMath", "&Dicas para criar formulário",
                                                          "&Sobre este programa"};
}

void MenuMapTest::menuContents() {
    QFETCH(QString, menu);
    QFETCH(QStringList, entries);
    QWidget* widget = menu == "mainMenu" ? static_cast<QWidget*>(form_->mainMenu) : form_->findChild<QMenu*>(menu);
    QVERIFY2(widget, qPrintable(menu));
    QCOMPARE(captions(widget->actions()), entries);
    // Every entry shown can be found by its name, and only "(nenhuma)" is disabled.
    for (QAction* a : widget->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        QVERIFY2(!a->objectName().isEmpty(), qPrintable(a->text()));
        QCOMPARE(form_->action(a->objectName()), a);
        QCOMPARE(a->isEnabled(), a->objectName() != "noRecentFolder");
    }
}

void MenuMapTest::shortcuts_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("editorOwn");  // the editor answers the key itself, as an editing key
    QTest::newRow("Salvar") << "save" << QKeySequence(Qt::CTRL | Qt::Key_S) << false;
    QTest::newRow("Imprimir") << "print" << QKeySequence(Qt::CTRL | Qt::Key_P) << false;
    QTest::newRow("Desfazer") << "undo" << QKeySequence(Qt::CTRL | Qt::Key_Z) << true;
    QTest::newRow("Cortar") << "cut" << QKeySequence(Qt::CTRL | Qt::Key_X) << true;
    QTest::newRow("Copiar") << "copy" << QKeySequence(Qt::CTRL | Qt::Key_C) << true;
    QTest::newRow("Colar") << "paste" << QKeySequence(Qt::CTRL | Qt::Key_V) << true;
    QTest::newRow("Localizar") << "find" << QKeySequence(Qt::CTRL | Qt::Key_F) << false;
    QTest::newRow("Localizar próxima") << "findNext" << QKeySequence(Qt::Key_F3) << false;
    QTest::newRow("Substituir") << "replace" << QKeySequence(Qt::CTRL | Qt::Key_H) << false;
    QTest::newRow("Selecionar Tudo") << "selectAll" << QKeySequence(Qt::CTRL | Qt::Key_A) << true;
    QTest::newRow("Fórmula") << "speakLine" << QKeySequence(Qt::Key_F9) << false;
    QTest::newRow("Fórmula no cursor") << "speakFormula" << QKeySequence(Qt::SHIFT | Qt::Key_F9) << false;
    QTest::newRow("Explorar fórmula") << "exploreFormula" << QKeySequence(Qt::CTRL | Qt::Key_F9) << false;
    QTest::newRow("Linha em braille") << "brailleLine" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F9) << false;
    QTest::newRow("Silenciar") << "silence" << QKeySequence(Qt::Key_F8) << false;
    QTest::newRow("Nova página") << "newPage" << QKeySequence(Qt::CTRL | Qt::Key_N) << false;
    QTest::newRow("Abrir texto") << "openFile" << QKeySequence(Qt::CTRL | Qt::Key_O) << false;
    QTest::newRow("Salvar texto Como") << "saveAs" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S) << false;
    QTest::newRow("Ajuda") << "manual" << QKeySequence(Qt::Key_F1) << false;
    QTest::newRow("quit") << "quit" << QKeySequence(Qt::CTRL | Qt::Key_Q) << false;
    QTest::newRow("no other") << "" << QKeySequence() << false;
}

void MenuMapTest::shortcuts() {
    QFETCH(QString, entry);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, editorOwn);
    if (!entry.isEmpty()) {
        QAction* a = form_->action(entry);
        QVERIFY(a);
        QCOMPARE(a->shortcut(), keys);
        if (editorOwn) return;
        // The key reaches the entry from the editor, where the user types (only the reaching
        // is looked at here: the commands themselves are tested with their modules).
        QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
        QSignalSpy spy(a, &QAction::triggered);
        form_->textEdit->setFocus();
        QTest::keySequence(form_->textEdit, keys);
        QCOMPARE(spy.count(), 1);
        return;
    }
    int withShortcut = 0;
    for (QAction* a : menuEntries(form_->mainMenu->actions()))
        if (!a->shortcut().isEmpty()) ++withShortcut;
    QCOMPARE(withShortcut, 20);
}

void MenuMapTest::noKeyBoundTwice() {
    // The window as the program wires it: menus, tool buttons and every module's commands.
    DocFixture f;
    const QMultiMap<QString, QString> keys = boundKeys(f.mainWindow.get());
    QVERIFY(keys.contains(QKeySequence(Qt::CTRL | Qt::Key_Q).toString()));
    QVERIFY(keys.contains(QKeySequence(Qt::ALT | Qt::Key_1).toString()));
    QStringList twice;
    for (const QString& key : keys.uniqueKeys())
        if (keys.count(key) > 1) twice << key + ": " + QStringList(keys.values(key)).join(", ");
    QVERIFY2(twice.isEmpty(), qPrintable(twice.join("; ")));
    // Nor does a shortcut take the access key of a menu on the bar.
    for (QAction* menu : f.mainWindow->mainMenu->actions()) {
        const QKeySequence access = QKeySequence::mnemonic(menu->text());
        QVERIFY2(!keys.contains(access.toString()), qPrintable(access.toString() + " " + menu->text()));
    }
}

void MenuMapTest::visualizarIsACommandOnTheBar() {
    QAction* view = form_->action("view");
    QVERIFY(view);
    QVERIFY(!view->menu());
    QVERIFY(form_->mainMenu->actions().contains(view));
    QSignalSpy spy(view, &QAction::triggered);
    QTest::keyClick(form_, Qt::Key_V, Qt::AltModifier);
    QCOMPARE(spy.count(), 1);
    QTest::mouseClick(form_->mainMenu, Qt::LeftButton, {}, form_->mainMenu->actionGeometry(view).center());
    QCOMPARE(spy.count(), 2);
    QVERIFY(!QApplication::activePopupWidget());
}

void MenuMapTest::accessKeysOpenTheirMenus_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("menu");
    QTest::newRow("Alt+A") << int(Qt::Key_A) << "fileMenu";
    QTest::newRow("Alt+E") << int(Qt::Key_E) << "editMenu";
    QTest::newRow("Alt+I") << int(Qt::Key_I) << "insertMenu";
    QTest::newRow("Alt+M") << int(Qt::Key_M) << "mathMenu";
    QTest::newRow("Alt+F") << int(Qt::Key_F) << "formatMenu";
    QTest::newRow("Alt+C") << int(Qt::Key_C) << "settingsMenu";
    QTest::newRow("Alt+?") << int(Qt::Key_Question) << "helpMenu";
}

void MenuMapTest::accessKeysOpenTheirMenus() {
    QFETCH(int, key);
    QFETCH(QString, menu);
    QTest::keyClick(form_, Qt::Key(key), Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QCOMPARE(QApplication::activePopupWidget()->objectName(), menu);
    QApplication::activePopupWidget()->close();
}

void MenuMapTest::toolBar_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("face");  // "" for a picture button
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("entry");  // the menu entry it stands for
    QTest::addColumn<bool>("tabStop");
    const QString h = QStringLiteral("Negrito/Sublinhado/Itálico");
    QTest::newRow("newButton") << "newButton" << "" << "Arquivo novo" << "newPage" << true;
    QTest::newRow("openButton") << "openButton" << "" << "Abrir arquivo" << "openFile" << true;
    QTest::newRow("saveButton") << "saveButton" << "" << "Salvar" << "save" << true;
    QTest::newRow("configButton") << "configButton" << "" << "" << "" << true;
    QTest::newRow("cutButton") << "cutButton" << "" << "Cortar seleção" << "" << true;
    QTest::newRow("copyButton") << "copyButton" << "" << "Copiar seleção" << "" << true;
    QTest::newRow("pasteButton") << "pasteButton" << "" << "Colar" << "" << true;
    QTest::newRow("viewButton") << "viewButton" << "" << "Visualizar" << "view" << true;
    QTest::newRow("titleButton") << "titleButton" << "TÍTULO" << h << "title" << true;
    QTest::newRow("centreButton") << "centreButton" << "CENTR" << h << "centred" << true;
    QTest::newRow("boldButton") << "boldButton" << "NEG" << h << "bold" << true;
    QTest::newRow("italicButton") << "italicButton" << "ITA" << h << "italic" << true;
    QTest::newRow("underlineButton") << "underlineButton" << "SUBL" << h << "underline" << true;
    QTest::newRow("fixedWidthButton") << "fixedWidthButton" << "FIXO" << h << "fixedWidth" << true;
    QTest::newRow("vloqFilterButton") << "vloqFilterButton" << "vloq" << "" << "" << false;
    QTest::newRow("mdlFilterButton") << "mdlFilterButton" << "mdl" << "" << "" << false;
    QTest::newRow("cssFilterButton") << "cssFilterButton" << "css" << "" << "" << false;
    QTest::newRow("allFilesButton") << "allFilesButton" << "*.*" << "" << "" << false;
}

void MenuMapTest::toolBar() {
    QFETCH(QString, name);
    QFETCH(QString, face);
    QFETCH(QString, hint);
    QFETCH(QString, entry);
    QFETCH(bool, tabStop);
    QToolButton* b = form_->button(name);
    QVERIFY(b);
    QCOMPARE(b->text(), face);
    QCOMPARE(b->toolTip(), hint);
    if (face.isEmpty()) QVERIFY(!b->icon().pixmap(16, 16).isNull());
    QCOMPARE(bool(b->focusPolicy() & Qt::TabFocus), tabStop);

    // Left to right in the order of the rows.
    static QString previous;
    if (name == "newButton") previous.clear();
    if (!previous.isEmpty())
        QVERIFY2(form_->button(previous)->geometry().right() < b->geometry().left(), qPrintable(name));
    previous = name;

    if (!entry.isEmpty()) {
        QSignalSpy spy(form_->action(entry), &QAction::triggered);
        b->click();
        QCOMPARE(spy.count(), 1);
    }
}

void MenuMapTest::noneEntriesChangeNothing_data() {
    QTest::addColumn<QString>("entry");
    QTest::newRow("Imprimir Original") << "printOriginal";
    QTest::newRow("Configurar title") << "settingsMenu";
    QTest::newRow("configButton") << "button:configButton";
}

void MenuMapTest::noneEntriesChangeNothing() {
    QFETCH(QString, entry);
    ScriptedSink sink;
    QPlainTextEdit* textEdit = form_->textEdit;
    textEdit->setPlainText(QStringLiteral("primeira linha\nsegunda ação"));
    QTextCursor cursor = textEdit->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    textEdit->setTextCursor(cursor);
    textEdit->document()->setModified(true);
    textEdit->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("área"));
    const QString title = form_->windowTitle();
    const QStringList windows = visibleTopLevels();

    ModalAnswer watch([](QWidget*) {}, 300);
    if (entry.startsWith("button:")) {
        form_->button(entry.mid(7))->click();
    } else {
        QAction* a = form_->action(entry);
        QVERIFY(a);
        a->trigger();
    }
    QVERIFY(processPostedEvents());  // a dialog would have come up by now; it must not

    QVERIFY(!watch.answered());
    QVERIFY(sink.calls.empty());
    QCOMPARE(textEdit->toPlainText(), QStringLiteral("primeira linha\nsegunda ação"));
    QCOMPARE(textEdit->textCursor().anchor(), 3);
    QCOMPARE(textEdit->textCursor().position(), 9);
    QVERIFY(textEdit->document()->isModified());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("área"));
    QCOMPARE(form_->windowTitle(), title);
    QCOMPARE(visibleTopLevels(), windows);
}

void MenuMapTest::selectAll_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("menu entry, focus in the list") << "menu";
    QTest::newRow("Ctrl+A, focus in the list") << "list-key";
    QTest::newRow("Ctrl+A, focus in the editor") << "textEdit-key";
}

void MenuMapTest::selectAll() {
    QFETCH(QString, how);
    const QString text = QStringLiteral("uma\nduas ções\ntrês");
    form_->textEdit->setPlainText(text);
    form_->textEdit->document()->setModified(false);
    if (how == "menu") {
        form_->fileListBox->setFocus();
        form_->action("selectAll")->trigger();
    } else if (how == "list-key") {
        form_->fileListBox->setFocus();
        QTest::keyClick(form_->fileListBox, Qt::Key_A, Qt::ControlModifier);
    } else {
        form_->textEdit->setFocus();
        QTest::keyClick(form_->textEdit, Qt::Key_A, Qt::ControlModifier);
    }
    const QTextCursor cursor = form_->textEdit->textCursor();
    QCOMPARE(cursor.selectionStart(), 0);
    QCOMPARE(cursor.selectionEnd(), int(text.size()));
    QCOMPARE(form_->textEdit->toPlainText(), text);
    QVERIFY(!form_->textEdit->document()->isModified());
}

void MenuMapTest::clipboardButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<QString>("clipboardAfter");
    QTest::addColumn<bool>("modified");
    QTest::newRow("cut") << "cutButton" << 1 << 4 << "pão doce" << "pdoce" << "ão " << true;
    QTest::newRow("cut nothing selected") << "cutButton" << 2 << 2 << "pão" << "pão" << "antes" << false;
    QTest::newRow("copy") << "copyButton" << 4 << 8 << "pão doce" << "pão doce" << "doce" << false;
    QTest::newRow("paste over selection") << "pasteButton" << 0 << 3 << "pão doce" << "antes doce" << "antes" << true;
}

void MenuMapTest::clipboardButtons() {
    QFETCH(QString, button);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, text);
    QFETCH(QString, textAfter);
    QFETCH(QString, clipboardAfter);
    QFETCH(bool, modified);
    QApplication::clipboard()->setText(QStringLiteral("antes"));
    form_->textEdit->setPlainText(text);
    form_->textEdit->document()->setModified(false);
    QTextCursor cursor = form_->textEdit->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    form_->textEdit->setTextCursor(cursor);

    QTest::mouseClick(form_->button(button), Qt::LeftButton);

    QCOMPARE(form_->textEdit->toPlainText(), textAfter);
    QCOMPARE(QApplication::clipboard()->text(), clipboardAfter);
    QCOMPARE(form_->textEdit->document()->isModified(), modified);
}

QTEST_MAIN(MenuMapTest)
#include "menumap_test.moc"
