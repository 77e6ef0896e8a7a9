#include "editor/window/standarddialogs.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QListView>
#include <QTreeView>

namespace {

void labelFileDialog(QFileDialog* dialog) {
    dialog->setLabelText(QFileDialog::FileType, QStringLiteral("&Tipo de arquivo:"));
    // A closed list box is named by the choice it shows; its label, tied to it, says what it is.
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* typeLabel = dialog->findChild<QLabel*>(QStringLiteral("fileTypeLabel"));
    if (types && typeLabel) typeLabel->setBuddy(types);
    for (const char* name : {"listView", "treeView"})
        if (auto* view = dialog->findChild<QAbstractItemView*>(QLatin1String(name)))
            view->setAccessibleName(QStringLiteral("Arquivos"));
}

void labelFontDialog(QFontDialog* dialog) {
    // The dialog makes its three lists in this order.
    const QList<QListView*> lists = dialog->findChildren<QListView*>();
    const char* names[] = {"Família", "Estilo", "Tamanho"};
    for (qsizetype i = 0; i < lists.size() && i < 3; ++i) lists[i]->setAccessibleName(QString::fromUtf8(names[i]));
}

// Labels its dialog each time it is shown.
class OnShow final : public QObject {
public:
    OnShow(QObject* dialog, void (*label)(QObject*)) : QObject(dialog), label_(label) {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) label_(watched);
        return false;
    }

private:
    void (*label_)(QObject*);
};

}  // namespace

void LabelInPortuguese(QFileDialog* dialog) {
    labelFileDialog(dialog);
    new OnShow(dialog, [](QObject* d) { labelFileDialog(static_cast<QFileDialog*>(d)); });
}

void LabelInPortuguese(QFontDialog* dialog) {
    labelFontDialog(dialog);
    new OnShow(dialog, [](QObject* d) { labelFontDialog(static_cast<QFontDialog*>(d)); });
}
