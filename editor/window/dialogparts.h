#pragma once
// Small pieces the dialogs share.
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QString>

enum class Press { Default, Other };

// A push button with its objectName (how tests and the window find it). Enter presses the
// button that has the focus, and the default button while the focus is elsewhere (a field, a
// list), as in every dialog a keyboard user knows.
inline QPushButton* NamedButton(QWidget* parent, const char* objectName, const QString& caption,
                                Press press = Press::Other) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(true);
    if (press == Press::Default) button->setDefault(true);
    return button;
}

// Centres a window on its screen; called as it is shown, so that each showing comes up in the
// middle of the screen wherever the main window stands.
inline void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

// Tab into a line field selects its text, and the field reports the new caret and selection to
// screen readers before the window reports the focus; a reader then takes the field as already
// announced, and an empty field, which has no text to read, says nothing at all. An empty field
// has nothing to select, so this filter hands it the focus as from any other source, which
// moves no caret: the reader hears the focus first and names the field. Installed on the
// application, it serves every window.
// A window with the property kFieldsKeepText set has every field taken that way, its text kept
// unselected: the reader then says each field's name and whole text once, where a selection
// would be said twice, the second time cut short.
inline constexpr const char* kFieldsKeepText = "velloqFieldsKeepText";

class EmptyFieldFocus final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::FocusIn || resending_) return false;
        auto* field = qobject_cast<QLineEdit*>(watched);
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (!field || (!field->text().isEmpty() && !field->window()->property(kFieldsKeepText).toBool()) ||
            (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason))
            return false;
        QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
        resending_ = true;
        QCoreApplication::sendEvent(field, &plain);
        resending_ = false;
        return true;
    }

private:
    bool resending_ = false;
};
