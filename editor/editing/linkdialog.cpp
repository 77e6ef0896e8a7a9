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
    setObjectName(QStringLiteral("linkDialog"));
    setWindowTitle(QStringLiteral("Criação de Elo"));
    setModal(true);

    linkKindGroup = new QGroupBox(QStringLiteral("Tipo de Elo"), this);
    linkKindGroup->setObjectName(QStringLiteral("linkKindGroup"));
    auto* choices = new QVBoxLayout(linkKindGroup);
    thisPageChoice = addChoice(linkKindGroup, choices, "thisPageChoice", QStringLiteral("Referência a uma página neste site"));
    externalSiteChoice = addChoice(linkKindGroup, choices, "externalSiteChoice", QStringLiteral("Referência a site externo"));
    labelChoice = addChoice(linkKindGroup, choices, "labelChoice",
                             QStringLiteral("Referência a outro lugar (rótulo) nesta página"));
    emailChoice = addChoice(linkKindGroup, choices, "emailChoice", QStringLiteral("Referência a um email"));
    thisPageChoice->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(linkKindGroup);
    layout->addSpacing(6);
    referenceEdit = addField(layout, this, "referenceEdit", QStringLiteral("Referência do elo"));
    linkTextEdit = addField(layout, this, "linkTextEdit", QStringLiteral("Texto do Elo"));
    referenceEdit->setMinimumWidth(340);

    okButton = NamedButton(this, "okButton", QStringLiteral("OK"), Press::Default);
    cancelButton = NamedButton(this, "cancelButton", QStringLiteral("Cancelar"), Press::Other);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The reference field comes first in the tab order, then the text; the choices close the
    // round, so Tab from a choice leads to the reference it has just written.
    setTabOrder(referenceEdit, linkTextEdit);
    setTabOrder(linkTextEdit, okButton);
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, thisPageChoice);
    setTabOrder(thisPageChoice, externalSiteChoice);
    setTabOrder(externalSiteChoice, labelChoice);
    setTabOrder(labelChoice, emailChoice);

    // A kind acts whenever it becomes the chosen one: by mouse, by the arrow keys or by
    // onActivated.
    const auto onChosen = [this](QRadioButton* choice, void (LinkDialog::*handler)()) {
        connect(choice, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on) (this->*handler)();
        });
    };
    onChosen(thisPageChoice, &LinkDialog::onThisSiteChosen);
    onChosen(externalSiteChoice, &LinkDialog::onExternalSiteChosen);
    onChosen(labelChoice, &LinkDialog::onLabelChosen);
    onChosen(emailChoice, &LinkDialog::onEmailChosen);
    connect(okButton, &QPushButton::clicked, this, &LinkDialog::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &LinkDialog::cancel);
}

void LinkDialog::onActivated() {
    Confirmed = false;
    thisPageChoice->setFocus();
    thisPageChoice->setChecked(true);
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

void LinkDialog::onThisSiteChosen() { referenceEdit->setText(LocalPageReference()); }
void LinkDialog::onExternalSiteChosen() { referenceEdit->setText(ExternalSiteReference()); }
void LinkDialog::onLabelChosen() { referenceEdit->setText(LabelReference()); }
void LinkDialog::onEmailChosen() { referenceEdit->setText(EmailReference()); }

void LinkDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
    onActivated();
}
