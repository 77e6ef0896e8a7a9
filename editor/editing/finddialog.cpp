#include "editor/editing/finddialog.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "editor/window/dialogparts.h"
#include "editor/window/labelaccessible.h"

namespace {

QAccessibleInterface* statusLineInterface(const QString&, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    if (!label || label->objectName() != QLatin1String("statusLine") ||
        !qobject_cast<FindDialog*>(label->parentWidget()))
        return nullptr;
    return new LabelNamedByText(label, QAccessible::Notification);
}

}  // namespace

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

QString FoundStatus(int line, const QString& lineText) {
    // A screen reader reads the whole status; past a few sentences a line is only noise.
    constexpr int kLongest = 200;
    QString shown = lineText.size() > kLongest ? lineText.left(kLongest) + QChar(0x2026) : lineText;
    return QStringLiteral("Encontrado na linha %1: %2").arg(line + 1).arg(shown);
}

QString ReplacedStatus(int count) {
    if (count == 0) return QStringLiteral("Nenhuma ocorrência substituída");
    if (count == 1) return QStringLiteral("1 ocorrência substituída");
    return QStringLiteral("%1 ocorrências substituídas").arg(count);
}

QString ReplaceEvery(const QString& text, const QString& what, const QString& with, int& count) {
    count = 0;
    if (what.isEmpty()) return text;
    QString out;
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(what, from, Qt::CaseInsensitive)) >= 0; from = at + what.size()) {
        out += QStringView(text).sliced(from, at - from);
        out += with;
        ++count;
    }
    out += QStringView(text).sliced(from);
    return out;
}

FindDialog::FindDialog(QWidget* parent, Kind kind) : QDialog(parent) {
    static const bool statusLineKnown = (QAccessible::installFactory(statusLineInterface), true);
    Q_UNUSED(statusLineKnown);
    const bool replacing = kind == Kind::Replace;
    setObjectName(replacing ? QStringLiteral("replaceDialog") : QStringLiteral("findDialog"));
    setWindowTitle(replacing ? QStringLiteral("Substituir") : QStringLiteral("Localizar"));
    setModal(false);

    auto* fields = new QGridLayout;
    const auto addField = [&](const char* name, const QString& caption) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QLatin1String(name));
        field->setMinimumWidth(260);
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        const int row = fields->rowCount();
        fields->addWidget(label, row, 0);
        fields->addWidget(field, row, 1);
        return field;
    };
    findWhatEdit = addField("findWhatEdit", QStringLiteral("&Localizar:"));
    if (replacing) replaceWithEdit = addField("replaceWithEdit", QStringLiteral("Substituir &por:"));

    // What the last search found. Not a tab stop: a screen reader hears it when it changes,
    // and reads it again with the dialog.
    statusLine = new QLabel(this);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    statusLine->setWordWrap(true);
    statusLine->setTextFormat(Qt::PlainText);  // a line of the text is shown as it is, never as markup
    statusLine->setMinimumHeight(statusLine->fontMetrics().lineSpacing() * 2);
    QSizePolicy keepsItsPlace = statusLine->sizePolicy();
    keepsItsPlace.setRetainSizeWhenHidden(true);
    statusLine->setSizePolicy(keepsItsPlace);
    statusLine->hide();  // an empty line would be announced as an empty notification
    fields->addWidget(statusLine, fields->rowCount(), 0, 1, 2);
    fields->setRowStretch(fields->rowCount(), 1);

    findNextButton = NamedButton(this, "findNextButton", QStringLiteral("Localizar próxima"), Press::Default);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNextButton);
    if (replacing) {
        replaceButton = NamedButton(this, "replaceButton", QStringLiteral("&Substituir"), Press::Other);
        replaceAllButton = NamedButton(this, "replaceAllButton", QStringLiteral("Substituir &todas"), Press::Other);
        buttons->addWidget(replaceButton);
        buttons->addWidget(replaceAllButton);
    }
    closeButton = NamedButton(this, "closeButton", QStringLiteral("Fechar"), Press::Other);
    buttons->addWidget(closeButton);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* previous = findWhatEdit;
    for (QWidget* next : {static_cast<QWidget*>(replaceWithEdit), static_cast<QWidget*>(findNextButton),
                          static_cast<QWidget*>(replaceButton), static_cast<QWidget*>(replaceAllButton),
                          static_cast<QWidget*>(closeButton)}) {
        if (!next) continue;
        setTabOrder(previous, next);
        previous = next;
    }

    // F3 finds the next occurrence here as it does in the editor.
    auto* again = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(again, &QShortcut::activated, this, &FindDialog::Find);
    connect(findNextButton, &QPushButton::clicked, this, &FindDialog::Find);
    if (replacing) {
        connect(replaceButton, &QPushButton::clicked, this, &FindDialog::Replace);
        connect(replaceAllButton, &QPushButton::clicked, this, &FindDialog::ReplaceAll);
    }
    connect(closeButton, &QPushButton::clicked, this, &FindDialog::close);
}

FindDialog::~FindDialog() { QObject::disconnect(describedOnce_); }

QString FindDialog::FindText() const { return findWhatEdit->text(); }

QString FindDialog::ReplaceText() const { return replaceWithEdit ? replaceWithEdit->text() : QString(); }

void FindDialog::SetStatus(const QString& text, bool announce, Repeat repeat) {
    // A line that another window says (a message box) is not shown anew: showing it would have
    // the screen reader say it a second time.
    const bool quiet = !announce && statusLine->isHidden();
    statusLine->setText(text);
    // Shown anew, the line is announced, while the keyboard stays where it is.
    if (text.isEmpty() || announce) statusLine->hide();
    if (!text.isEmpty() && !quiet) statusLine->show();
    // A screen reader says what changes on the control that has the keyboard, not on a label
    // beside it: the controls that search carry the status as their description too.
    QObject::disconnect(describedOnce_);
    QWidget* focused = QApplication::focusWidget();
    for (QWidget* control : {static_cast<QWidget*>(findWhatEdit), static_cast<QWidget*>(replaceWithEdit),
                             static_cast<QWidget*>(findNextButton), static_cast<QWidget*>(replaceButton),
                             static_cast<QWidget*>(replaceAllButton)})
        if (control) control->setAccessibleDescription(repeat == Repeat::Keep || control == focused ? text : QString());
    if (repeat == Repeat::Once && focused && focused->window() == this) {
        // The control leaves it behind with the keyboard.
        describedOnce_ = connect(qApp, &QApplication::focusChanged, this, [this, focused](QWidget* old, QWidget*) {
            if (old != focused) return;
            QObject::disconnect(describedOnce_);
            focused->setAccessibleDescription(QString());
        });
    }
}

void FindDialog::Open() {
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

void FindDialog::focusField() {
    findWhatEdit->setFocus();
    findWhatEdit->selectAll();
}

bool FindDialog::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && focusOnActivate_) {
        focusOnActivate_ = false;
        focusField();
    }
    return handled;
}
