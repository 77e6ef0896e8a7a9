#include "editor/finddialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/dialogparts.h"

int FindForward(QStringView text, int start, QStringView what, int stretch) {
    if (what.isEmpty() || start < 0 || start > text.size()) return -1;
    // The stretch ends where the next character would pass the limit; a line end that would
    // be cut between its CR and its LF is left out.
    qsizetype end = start;
    for (int used = 0; end < text.size(); ++end) {
        const int width = text[end] == QLatin1Char('\n') ? 2 : 1;
        if (used + width > stretch) break;
        used += width;
    }
    // Case folding maps every character to one character, so offsets in the stretch are
    // offsets in the text.
    const qsizetype at = text.sliced(start, end - start).indexOf(what, 0, Qt::CaseInsensitive);
    return at < 0 ? -1 : int(start + at);
}

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Localizar"));
    setModal(false);

    e_localizar = new QLineEdit(this);
    e_localizar->setObjectName(QStringLiteral("e_localizar"));
    e_localizar->setMinimumWidth(260);
    auto* label = new QLabel(QStringLiteral("&Localizar:"), this);
    label->setBuddy(e_localizar);

    b_proxima = NamedButton(this, "b_proxima", QStringLiteral("Localizar próxima"), Press::Default);
    b_fechar = NamedButton(this, "b_fechar", QStringLiteral("Fechar"), Press::Other);

    auto* field = new QHBoxLayout;
    field->addWidget(label);
    field->addWidget(e_localizar, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(b_proxima);
    buttons->addWidget(b_fechar);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(field, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(e_localizar, b_proxima);
    setTabOrder(b_proxima, b_fechar);

    connect(b_proxima, &QPushButton::clicked, this, &TFindDialog::Find);
    connect(b_fechar, &QPushButton::clicked, this, &TFindDialog::close);
}

QString TFindDialog::FindText() const { return e_localizar->text(); }

void TFindDialog::Open() {
    if (!placed_ && parentWidget()) {
        // First showing: the lower right corner of the main window, away from the top of the
        // text, where the search usually starts. Later showings keep where the user put it.
        placed_ = true;
        adjustSize();
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.right() - frameGeometry().width() - 24, owner.bottom() - frameGeometry().height() - 40);
    }
    show();
    raise();
    activateWindow();
    // Activation may come later and move the focus on the way, which drops the selection:
    // select again once the dialog is active.
    focusOnActivate_ = true;
    focusField();
}

void TFindDialog::focusField() {
    e_localizar->setFocus();
    e_localizar->selectAll();
}

bool TFindDialog::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && focusOnActivate_) {
        focusOnActivate_ = false;
        focusField();
    }
    return handled;
}
