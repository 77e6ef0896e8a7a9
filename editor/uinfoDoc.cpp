#include "editor/uinfoDoc.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "editor/dialogparts.h"
#include "editor/uvars.h"
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

Tform_infoDoc::Tform_infoDoc(QWidget* parent) : QDialog(parent) {
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

    connect(Ok, &QPushButton::clicked, this, &Tform_infoDoc::OkClick);
    connect(Cancelar, &QPushButton::clicked, this, &Tform_infoDoc::CancelarClick);
}

void Tform_infoDoc::FormActivate() {
    e_pasta->setText(QString::fromStdString(uvars::WorkFolder));
    e_modelo->setText(fromContent(uvars::TemplateFile));
    e_autor->setText(fromContent(uvars::Author));
    e_contato->setText(fromContent(uvars::Contact));
}

void Tform_infoDoc::OkClick() {
    uvars::TemplateFile = toContent(e_modelo->text());
    uvars::Author = toContent(e_autor->text());
    uvars::Contact = toContent(e_contato->text());
    uvars::WriteSettings();
    c_padrao->setChecked(false);
    accept();
}

void Tform_infoDoc::CancelarClick() { reject(); }

void Tform_infoDoc::showEvent(QShowEvent* event) {
    // Filled on showing rather than on every activation, so that coming back to the dialog
    // from a message box keeps what the user has typed.
    FormActivate();
    e_pasta->setFocus();
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
