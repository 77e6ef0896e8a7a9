#pragma once
// Small pieces the dialogs share.
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
