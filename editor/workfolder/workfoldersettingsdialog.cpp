#include "editor/workfolder/workfoldersettingsdialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "editor/window/dialogparts.h"
#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"
#include "platform/codepage.h"

namespace {

// Template, author and contact are file contents (Windows-1252); the fields show Unicode.
QString fromContent(const std::string& cp1252) {
    return QString::fromStdString(codepage::Cp1252ToUtf8(cp1252));
}
std::string toContent(const QString& text) { return codepage::Utf8ToCp1252(text.toStdString()); }

QLineEdit* addField(QGridLayout* grid, QWidget* parent, const char* name, const QString& label) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    auto* caption = new QLabel(label, parent);
    caption->setBuddy(edit);
    const int row = grid->rowCount();
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

}  // namespace

WorkFolderSettingsDialog::WorkFolderSettingsDialog(RunState& run, QWidget* parent) : QDialog(parent), run_(run) {
    setObjectName(QStringLiteral("workFolderSettingsDialog"));
    setWindowTitle(QStringLiteral("Informações padrões"));
    setModal(true);
    setProperty(kFieldsKeepText, true);  // each field heard once, whole, as Tab reaches it

    auto* grid = new QGridLayout;
    folderEdit = addField(grid, this, "folderEdit", QStringLiteral("Pasta atual:"));
    folderEdit->setReadOnly(true);
    templateEdit = addField(grid, this, "templateEdit", QStringLiteral("Modelo"));
    authorEdit = addField(grid, this, "authorEdit", QStringLiteral("Autor"));
    contactEdit = addField(grid, this, "contactEdit", QStringLiteral("Contato"));
    grid->setColumnMinimumWidth(1, 320);

    makeDefaultCheck = new QCheckBox(QStringLiteral("Transforma em padrão"), this);
    makeDefaultCheck->setObjectName(QStringLiteral("makeDefaultCheck"));
    makeDefaultCheck->setEnabled(false);
    grid->addWidget(makeDefaultCheck, grid->rowCount(), 1);

    Ok = NamedButton(this, "Ok", QStringLiteral("Ok"), Press::Default);
    Cancelar = NamedButton(this, "Cancelar", QStringLiteral("Cancelar"), Press::Other);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Ok);
    buttons->addWidget(Cancelar);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    setTabOrder(folderEdit, templateEdit);
    setTabOrder(templateEdit, authorEdit);
    setTabOrder(authorEdit, contactEdit);
    setTabOrder(contactEdit, makeDefaultCheck);
    setTabOrder(makeDefaultCheck, Ok);
    setTabOrder(Ok, Cancelar);

    connect(Ok, &QPushButton::clicked, this, &WorkFolderSettingsDialog::confirm);
    connect(Cancelar, &QPushButton::clicked, this, &WorkFolderSettingsDialog::cancel);
}

void WorkFolderSettingsDialog::onActivated() {
    folderEdit->setText(QString::fromStdString(run_.workFolder));
    templateEdit->setText(fromContent(run_.templateFile));
    authorEdit->setText(fromContent(run_.author));
    contactEdit->setText(fromContent(run_.contact));
}

void WorkFolderSettingsDialog::confirm() {
    run_.templateFile = toContent(templateEdit->text());
    run_.author = toContent(authorEdit->text());
    run_.contact = toContent(contactEdit->text());
    run_.WriteSettings();
    makeDefaultCheck->setChecked(false);
    accept();
}

void WorkFolderSettingsDialog::cancel() { reject(); }

void WorkFolderSettingsDialog::showEvent(QShowEvent* event) {
    // Filled on showing rather than on every activation, so that coming back to the dialog
    // from a message box keeps what the user has typed.
    onActivated();
    folderEdit->setFocus();
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void ConnectWorkFolderSettings(EditorParts& parts) {
    OnAction(parts, "workFolderSettings", [&parts] {
        if (parts.settingsDialog) parts.settingsDialog->exec();
    });
}
