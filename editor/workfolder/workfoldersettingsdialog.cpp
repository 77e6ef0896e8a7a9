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

WorkFolderSettingsDialog::WorkFolderSettingsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("form_infoDoc"));
    setWindowTitle(QStringLiteral("Informações padrões"));
    setModal(true);

    auto* grid = new QGridLayout;
    e_pasta = addField(grid, this, "e_pasta", QStringLiteral("Pasta atual:"));
    e_pasta->setReadOnly(true);
    e_modelo = addField(grid, this, "e_modelo", QStringLiteral("Modelo"));
    e_autor = addField(grid, this, "e_autor", QStringLiteral("Autor"));
    e_contato = addField(grid, this, "e_contato", QStringLiteral("Contato"));
    grid->setColumnMinimumWidth(1, 320);

    c_padrao = new QCheckBox(QStringLiteral("Transforma em padrão"), this);
    c_padrao->setObjectName(QStringLiteral("c_padrao"));
    c_padrao->setEnabled(false);
    grid->addWidget(c_padrao, grid->rowCount(), 1);

    Ok = NamedButton(this, "Ok", QStringLiteral("Ok"), Press::Default);
    Cancelar = NamedButton(this, "Cancelar", QStringLiteral("Cancelar"), Press::Other);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Ok);
    buttons->addWidget(Cancelar);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    setTabOrder(e_pasta, e_modelo);
    setTabOrder(e_modelo, e_autor);
    setTabOrder(e_autor, e_contato);
    setTabOrder(e_contato, c_padrao);
    setTabOrder(c_padrao, Ok);
    setTabOrder(Ok, Cancelar);

    connect(Ok, &QPushButton::clicked, this, &WorkFolderSettingsDialog::confirm);
    connect(Cancelar, &QPushButton::clicked, this, &WorkFolderSettingsDialog::cancel);
}

void WorkFolderSettingsDialog::onActivated() {
    e_pasta->setText(QString::fromStdString(runstate::WorkFolder));
    e_modelo->setText(fromContent(runstate::TemplateFile));
    e_autor->setText(fromContent(runstate::Author));
    e_contato->setText(fromContent(runstate::Contact));
}

void WorkFolderSettingsDialog::confirm() {
    runstate::TemplateFile = toContent(e_modelo->text());
    runstate::Author = toContent(e_autor->text());
    runstate::Contact = toContent(e_contato->text());
    runstate::WriteSettings();
    c_padrao->setChecked(false);
    accept();
}

void WorkFolderSettingsDialog::cancel() { reject(); }

void WorkFolderSettingsDialog::showEvent(QShowEvent* event) {
    // Filled on showing rather than on every activation, so that coming back to the dialog
    // from a message box keeps what the user has typed.
    onActivated();
    e_pasta->setFocus();
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
