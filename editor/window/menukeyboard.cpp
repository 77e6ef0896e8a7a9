#include "editor/window/menukeyboard.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <utility>

MenuKeyboard::MenuKeyboard(QWidget* window, QMenuBar* menuBar, QWidget* fallback)
    : QObject(window), window_(window), menuBar_(menuBar), fallback_(fallback) {
    connect(qApp, &QApplication::focusChanged, this, &MenuKeyboard::focusChanged);
    // Keys that the menu bar takes while it holds the keyboard (Esc, Alt), the window becoming
    // active again, and menus and dialogs closing, wherever they were opened from.
    qApp->installEventFilter(this);
}

QWidget* MenuKeyboard::returnTo() const {
    if (last_ && last_->isVisible() && last_->isEnabled()) return last_;
    return fallback_;
}

void MenuKeyboard::focusChanged(QWidget*, QWidget* now) {
    if (!now) return;
    if (now == menuBar_) {
        checkSoon();
        return;
    }
    if (now->window() == window_ && !qobject_cast<QMenu*>(now)) last_ = now;
}

bool MenuKeyboard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (watched == menuBar_) checkSoon();
        break;
    case QEvent::WindowActivate:
        if (watched == window_) checkSoon();
        break;
    case QEvent::Hide:
        if (qobject_cast<QMenu*>(watched)) {
            checkSoon();
        } else if (auto* dialog = qobject_cast<QDialog*>(watched);
                   dialog && dialog->isModal() && dialog->parentWidget() && dialog->parentWidget()->window() == window_) {
            // Without a window manager nothing activates the window again when a dialog or a
            // message closes, and the keyboard is nowhere.
            reactivate_ = true;
            checkSoon();
        }
        break;
    default:
        break;
    }
    return false;
}

void MenuKeyboard::checkSoon() {
    if (checkPending_) return;
    checkPending_ = true;
    QMetaObject::invokeMethod(this, &MenuKeyboard::check, Qt::QueuedConnection);
}

void MenuKeyboard::check() {
    checkPending_ = false;
    if (std::exchange(reactivate_, false) && !QApplication::activeWindow() && !QApplication::activeModalWidget() &&
        window_->isVisible()) {
        window_->activateWindow();
        if (!window_->focusWidget()) returnTo()->setFocus(Qt::OtherFocusReason);
    }
    // In its own keyboard mode the menu bar always has an entry active; with a menu open the
    // keys go to the menu.
    if (QApplication::activePopupWidget() || QApplication::focusWidget() != menuBar_ || menuBar_->activeAction())
        return;
    if (QWidget* target = returnTo()) target->setFocus(Qt::OtherFocusReason);
}
