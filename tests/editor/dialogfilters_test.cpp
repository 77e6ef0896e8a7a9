// The open and save dialogs list what their filter entries promise: "*.*" every file, names
// without a dot included.
#include <QAbstractItemModel>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include "editor/window/mainwindow.h"

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
        MainWindow form;
        auto* chooser = form.findChild<QFileDialog*>(dialog);
        QVERIFY(chooser);
        chooser->setOption(QFileDialog::DontUseNativeDialog);
        chooser->setDirectory(folder.path());
        chooser->selectNameFilter(chooser->nameFilters().at(entry));
        chooser->show();
        QTRY_COMPARE(listedNames(chooser), listed);
        chooser->hide();
    }
};

QTEST_MAIN(DialogFiltersTest)
#include "dialogfilters_test.moc"
