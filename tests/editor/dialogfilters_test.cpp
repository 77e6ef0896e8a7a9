// The open and save dialogs list what their filter entries promise: "*.*" every file, names
// without a dot included; the standard dialogs' lists and boxes are labelled in Portuguese.
#include <QAbstractItemModel>
#include <QAccessible>
#include <QComboBox>
#include <QFontDialog>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include "editor/mainwindow/mainwindow.h"

namespace {

QStringList listedNames(QFileDialog* dialog) {
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    if (!view || !view->model()) return {};
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names << view->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

}  // namespace

class DialogFiltersTest : public QObject {
    Q_OBJECT

private slots:
    void filters_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QStringList>("listed");
        const QStringList all{"LEIAME", "aula.vloq", "estilo.css", "modelo.mdl"};
        QTest::newRow("open, vloq") << "openDialog" << 0 << QStringList{"aula.vloq"};
        QTest::newRow("open, mdl") << "openDialog" << 1 << QStringList{"modelo.mdl"};
        QTest::newRow("open, all") << "openDialog" << 2 << all;
        QTest::newRow("save, css") << "saveDialog" << 2 << QStringList{"estilo.css"};
        QTest::newRow("save, all") << "saveDialog" << 3 << all;
    }
    void filters() {
        QFETCH(QString, dialog);
        QFETCH(int, entry);
        QFETCH(QStringList, listed);
        QTemporaryDir folder;
        for (const char* name : {"LEIAME", "aula.vloq", "estilo.css", "modelo.mdl"}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        MainWindow mainWindow;
        auto* chooser = mainWindow.findChild<QFileDialog*>(dialog);
        QVERIFY(chooser);
        chooser->setOption(QFileDialog::DontUseNativeDialog);
        chooser->setDirectory(folder.path());
        chooser->selectNameFilter(chooser->nameFilters().at(entry));
        chooser->show();
        QTRY_COMPARE(listedNames(chooser), listed);
        chooser->hide();
    }

    void fileTypeBoxLabelled_data() {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("open") << "openDialog";
        QTest::newRow("save") << "saveDialog";
    }
    void fileTypeBoxLabelled() {
        QFETCH(QString, dialog);
        MainWindow mainWindow;
        auto* chooser = mainWindow.findChild<QFileDialog*>(dialog);
        chooser->setOption(QFileDialog::DontUseNativeDialog);
        chooser->show();
        auto* types = chooser->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(types);
        QCOMPARE(face->text(QAccessible::Value), QStringLiteral("*.vloq"));  // the choice it shows
        QVERIFY(face->textInterface());
        QCOMPARE(face->textInterface()->text(0, face->textInterface()->characterCount()), QStringLiteral("*.vloq"));
        const auto labels = face->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.front().first->text(QAccessible::Name), QStringLiteral("Tipo de arquivo:"));
        auto* files = chooser->findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(files);
        QCOMPARE(QAccessible::queryAccessibleInterface(files)->text(QAccessible::Name), QStringLiteral("Arquivos"));
        chooser->hide();
    }

    // Each list named after what it holds: the family list holds the dialog's family, the size
    // list only numbers.
    void fontListsLabelled_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("name");
        QTest::newRow("family") << 0 << "Família";
        QTest::newRow("style") << 1 << "Estilo";
        QTest::newRow("size") << 2 << "Tamanho";
    }
    void fontListsLabelled() {
        QFETCH(int, list);
        QFETCH(QString, name);
        MainWindow mainWindow;
        auto* fonts = mainWindow.findChild<QFontDialog*>(QStringLiteral("fontDialog"));
        QVERIFY(fonts);
        fonts->show();
        const QList<QListView*> lists = fonts->findChildren<QListView*>();
        QVERIFY(lists.size() >= 3);
        QListView* view = lists[list];
        QCOMPARE(QAccessible::queryAccessibleInterface(view)->text(QAccessible::Name), name);
        QStringList items;
        for (int row = 0; row < view->model()->rowCount(); ++row) items << view->model()->index(row, 0).data().toString();
        QVERIFY(!items.isEmpty());
        if (name == "Família") QVERIFY(items.contains(QFontInfo(fonts->currentFont()).family()));
        if (name == "Tamanho")
            for (const QString& item : items) QVERIFY2(item.toInt() > 0, qPrintable(item));
        fonts->hide();
    }
};

QTEST_MAIN(DialogFiltersTest)
#include "dialogfilters_test.moc"
