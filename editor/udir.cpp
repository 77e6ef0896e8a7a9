#include "editor/udir.h"

#include <sys/stat.h>

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/dialogparts.h"
#include "editor/dialogrunner.h"
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

Tform_dir::Tform_dir(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("form_dir"));
    setWindowTitle(QStringLiteral("Escolhendo/criando a pasta base"));
    setModal(true);

    e_nomeDir = new QLineEdit(this);
    e_nomeDir->setObjectName(QStringLiteral("e_nomeDir"));
    e_nomeDir->setMinimumWidth(360);
    auto* pathLabel = new QLabel(QStringLiteral("&Pasta:"), this);
    pathLabel->setBuddy(e_nomeDir);

    DirectoryListBox1 = new FolderListBox(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setAccessibleName(QStringLiteral("Pastas (Enter abre)"));
    auto* listLabel = new QLabel(QStringLiteral("Pa&stas (Enter abre):"), this);
    listLabel->setBuddy(DirectoryListBox1);

    Button1 = NamedButton(this, "Button1", QStringLiteral("Cria subpasta"), Press::Other);
    b_ok = NamedButton(this, "b_ok", QStringLiteral("&OK"), Press::Default);
    b_cancela = NamedButton(this, "b_cancela", QStringLiteral("Cancela"), Press::Other);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    buttons->addWidget(b_ok);
    buttons->addWidget(b_cancela);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pathLabel);
    layout->addWidget(e_nomeDir);
    layout->addWidget(listLabel);
    layout->addWidget(DirectoryListBox1, 1);
    layout->addLayout(buttons);
    resize(420, 380);

    setTabOrder(e_nomeDir, DirectoryListBox1);
    setTabOrder(DirectoryListBox1, Button1);
    setTabOrder(Button1, b_ok);
    setTabOrder(b_ok, b_cancela);

    connect(DirectoryListBox1, &FolderListBox::changed, this, &Tform_dir::DirectoryListBox1Change);
    connect(Button1, &QPushButton::clicked, this, &Tform_dir::Button1Click);
    connect(b_ok, &QPushButton::clicked, this, &Tform_dir::b_okClick);
    connect(b_cancela, &QPushButton::clicked, this, &Tform_dir::b_cancelaClick);
}

void Tform_dir::FormActivate() {
    const QString path = QString::fromStdString(result);
    DirectoryListBox1->setDirectory(path);
    e_nomeDir->setText(path);
}

void Tform_dir::DirectoryListBox1Change() { e_nomeDir->setText(DirectoryListBox1->directory()); }

void Tform_dir::Button1Click() {
    const auto name = messages::AskText("Criando subpasta", "Qual o nome? ", "");
    if (!name) return;
    const QString folder = DirectoryListBox1->directory();
    const std::string path = (folder == QLatin1String("/") ? QString() : folder).toStdString() + "/" + *name;
    if (::mkdir(path.c_str(), 0777) != 0) {
        messages::ShowWarning("N\xC3\xA3o foi poss\xC3\xADvel criar com este nome");
        return;
    }
    DirectoryListBox1->setDirectory(QString::fromStdString(path));
    DirectoryListBox1->refresh();
}

void Tform_dir::b_okClick() {
    result = e_nomeDir->text().toStdString();
    accept();
}

void Tform_dir::b_cancelaClick() {
    result.clear();
    reject();
}

void Tform_dir::showEvent(QShowEvent* event) {
    FormActivate();
    e_nomeDir->setFocus();
    e_nomeDir->selectAll();
    QDialog::showEvent(event);
}

void Tform_dir::keyPressEvent(QKeyEvent* event) {
    // Esc is the keyboard's "Cancela"; only closing the window by its frame keeps the result.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        b_cancelaClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::string ChooseFolder(Tform_dir& form_dir, const std::string& initial) {
    form_dir.result = initial;
    dialogs::Run(form_dir);
    return form_dir.result;
}
