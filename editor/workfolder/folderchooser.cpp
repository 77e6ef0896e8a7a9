#include "editor/workfolder/folderchooser.h"

#include <sys/stat.h>

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/window/dialogparts.h"
#include "editor/seams/dialogrunner.h"
#include "platform/messages.h"

namespace {

constexpr int kPathRole = Qt::UserRole;

QString nearestFolder(QString path) {
    path = QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
    while (!QFileInfo(path).isDir() && !QDir(path).isRoot()) path = QFileInfo(path).absolutePath();
    return path;
}

}  // namespace

FolderListBox::FolderListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderListBox::enter);
}

void FolderListBox::setDirectory(const QString& path) {
    const QString folder = nearestFolder(path);
    const bool moved = folder != directory_;
    directory_ = folder;
    refresh();
    if (moved) emit changed();
}

void FolderListBox::refresh() {
    clear();
    // The path from the root down, each level one step further in.
    QStringList parts = directory_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path = QStringLiteral("/");
    auto add = [this](const QString& text, const QString& target, int depth) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + text, this);
        item->setData(kPathRole, target);
        return item;
    };
    QListWidgetItem* current = add(QStringLiteral("/"), path, 0);
    for (int i = 0; i < parts.size(); ++i) {
        path = QDir(path).filePath(parts[i]);
        current = add(parts[i], path, i + 1);
    }
    const QStringList subfolders = QDir(directory_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : subfolders) add(name, QDir(directory_).filePath(name), int(parts.size()) + 1);
    setCurrentItem(current);
}

void FolderListBox::keyPressEvent(QKeyEvent* event) {
    // Enter opens the line's folder; it must not reach the dialog's default button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        enter(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FolderListBox::enter(QListWidgetItem* item) {
    if (item) setDirectory(item->data(kPathRole).toString());
}

FolderChooser::FolderChooser(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("folderChooser"));
    setWindowTitle(QStringLiteral("Escolhendo/criando a pasta base"));
    setModal(true);

    folderNameEdit = new QLineEdit(this);
    folderNameEdit->setObjectName(QStringLiteral("folderNameEdit"));
    folderNameEdit->setMinimumWidth(360);
    auto* pathLabel = new QLabel(QStringLiteral("&Pasta:"), this);
    pathLabel->setBuddy(folderNameEdit);

    folderListBox = new FolderListBox(this);
    folderListBox->setObjectName(QStringLiteral("folderListBox"));
    folderListBox->setAccessibleName(QStringLiteral("Pastas (Enter abre)"));
    auto* listLabel = new QLabel(QStringLiteral("Pa&stas (Enter abre):"), this);
    listLabel->setBuddy(folderListBox);

    createFolderButton = NamedButton(this, "createFolderButton", QStringLiteral("Cria subpasta"), Press::Other);
    okButton = NamedButton(this, "okButton", QStringLiteral("&OK"), Press::Default);
    cancelButton = NamedButton(this, "cancelButton", QStringLiteral("Cancela"), Press::Other);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(createFolderButton);
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pathLabel);
    layout->addWidget(folderNameEdit);
    layout->addWidget(listLabel);
    layout->addWidget(folderListBox, 1);
    layout->addLayout(buttons);
    resize(420, 380);

    setTabOrder(folderNameEdit, folderListBox);
    setTabOrder(folderListBox, createFolderButton);
    setTabOrder(createFolderButton, okButton);
    setTabOrder(okButton, cancelButton);

    connect(folderListBox, &FolderListBox::changed, this, &FolderChooser::onFolderChanged);
    connect(createFolderButton, &QPushButton::clicked, this, &FolderChooser::createFolder);
    connect(okButton, &QPushButton::clicked, this, &FolderChooser::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &FolderChooser::cancel);
}

void FolderChooser::onActivated() {
    const QString path = QString::fromStdString(result);
    folderListBox->setDirectory(path);
    folderNameEdit->setText(path);
}

void FolderChooser::onFolderChanged() { folderNameEdit->setText(folderListBox->directory()); }

void FolderChooser::createFolder() {
    const auto name = messages::AskText("Criando subpasta", "Qual o nome? ", "");
    if (!name) return;
    const QString folder = folderListBox->directory();
    const std::string path = (folder == QLatin1String("/") ? QString() : folder).toStdString() + "/" + *name;
    if (::mkdir(path.c_str(), 0777) != 0) {
        messages::ShowWarning("N\xC3\xA3o foi poss\xC3\xADvel criar com este nome");
        return;
    }
    folderListBox->setDirectory(QString::fromStdString(path));
    folderListBox->refresh();
}

void FolderChooser::confirm() {
    result = folderNameEdit->text().toStdString();
    accept();
}

void FolderChooser::cancel() {
    result.clear();
    reject();
}

void FolderChooser::showEvent(QShowEvent* event) {
    onActivated();
    folderNameEdit->setFocus();
    folderNameEdit->selectAll();
    QDialog::showEvent(event);
}

void FolderChooser::keyPressEvent(QKeyEvent* event) {
    // Esc is the keyboard's "Cancela"; only closing the window by its frame keeps the result.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::string ChooseFolder(FolderChooser& form_dir, const std::string& initial) {
    form_dir.result = initial;
    dialogs::Run(form_dir);
    return form_dir.result;
}
