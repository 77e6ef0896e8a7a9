#include "editor/editing/linkdialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/window/dialogparts.h"

namespace {

QRadioButton* addChoice(QGroupBox* frame, QVBoxLayout* layout, const char* name, const QString& caption) {
    auto* choice = new QRadioButton(caption, frame);
    choice->setObjectName(QLatin1String(name));
    layout->addWidget(choice);
    return choice;
}

// A caption above its field; the caption is the field's buddy, so it names the field to
// screen readers.
QLineEdit* addField(QVBoxLayout* layout, QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    label->setBuddy(field);
    layout->addWidget(label);
    layout->addWidget(field);
    return field;
}

}  // namespace

QString LinkDialog::LocalPageReference() { return QStringLiteral("paginalocal.htm"); }
QString LinkDialog::ExternalSiteReference() { return QStringLiteral("http://www."); }
QString LinkDialog::LabelReference() { return QStringLiteral("#"); }
QString LinkDialog::EmailReference() { return QStringLiteral("mailto:nome@exemplo.com.br"); }

LinkDialog::LinkDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OKEloDlg"));
    setWindowTitle(QStringLiteral("Criação de Elo"));
    setModal(true);

    GroupBox1 = new QGroupBox(QStringLiteral("Tipo de Elo"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* choices = new QVBoxLayout(GroupBox1);
    r_nesteSite = addChoice(GroupBox1, choices, "r_nesteSite", QStringLiteral("Referência a uma página neste site"));
    RadioButton1 = addChoice(GroupBox1, choices, "RadioButton1", QStringLiteral("Referência a site externo"));
    RadioButton2 = addChoice(GroupBox1, choices, "RadioButton2",
                             QStringLiteral("Referência a outro lugar (rótulo) nesta página"));
    RadioButton3 = addChoice(GroupBox1, choices, "RadioButton3", QStringLiteral("Referência a um email"));
    r_nesteSite->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addSpacing(6);
    e_referencia = addField(layout, this, "e_referencia", QStringLiteral("Referência do elo"));
    e_texto = addField(layout, this, "e_texto", QStringLiteral("Texto do Elo"));
    e_referencia->setMinimumWidth(340);

    OKBtn = NamedButton(this, "OKBtn", QStringLiteral("OK"), Press::Default);
    CancelBtn = NamedButton(this, "CancelBtn", QStringLiteral("Cancelar"), Press::Other);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The reference field comes first in the tab order, then the text; the choices close the
    // round, so Tab from a choice leads to the reference it has just written.
    setTabOrder(e_referencia, e_texto);
    setTabOrder(e_texto, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, r_nesteSite);
    setTabOrder(r_nesteSite, RadioButton1);
    setTabOrder(RadioButton1, RadioButton2);
    setTabOrder(RadioButton2, RadioButton3);

    // A kind acts whenever it becomes the chosen one: by mouse, by the arrow keys or by
    // onActivated.
    const auto onChosen = [this](QRadioButton* choice, void (LinkDialog::*handler)()) {
        connect(choice, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on) (this->*handler)();
        });
    };
    onChosen(r_nesteSite, &LinkDialog::onThisSiteChosen);
    onChosen(RadioButton1, &LinkDialog::RadioButton1Click);
    onChosen(RadioButton2, &LinkDialog::RadioButton2Click);
    onChosen(RadioButton3, &LinkDialog::RadioButton3Click);
    connect(OKBtn, &QPushButton::clicked, this, &LinkDialog::confirm);
    connect(CancelBtn, &QPushButton::clicked, this, &LinkDialog::cancel);
}

void LinkDialog::onActivated() {
    Confirmed = false;
    r_nesteSite->setFocus();
    r_nesteSite->setChecked(true);
    // Already chosen from the last use, the kind sends no signal; its action runs anyway.
    onThisSiteChosen();
}

void LinkDialog::confirm() {
    Confirmed = true;
    accept();
}

void LinkDialog::cancel() {
    Confirmed = false;
    reject();
}

void LinkDialog::onThisSiteChosen() { e_referencia->setText(LocalPageReference()); }
void LinkDialog::RadioButton1Click() { e_referencia->setText(ExternalSiteReference()); }
void LinkDialog::RadioButton2Click() { e_referencia->setText(LabelReference()); }
void LinkDialog::RadioButton3Click() { e_referencia->setText(EmailReference()); }

void LinkDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
    onActivated();
}
