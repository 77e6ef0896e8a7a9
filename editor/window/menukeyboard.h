#pragma once
// Gives the keyboard back after the menus. Qt's menu bar, opened by an Alt letter while it
// already holds the keyboard (left active by Esc from a menu), takes itself for the control to
// give the keyboard back to: a command chosen then, a dialog it opens, Esc or Alt leave the
// keyboard on a menu bar that is no longer active. No key does anything there and a screen
// reader says nothing; only Tab got out. This watches for that state and returns the keyboard
// to the control that had it before the menus, the text as a rule; and when a dialog or a
// message of the window closes and no window is active (no window manager gives the window back
// its activation), it activates the window again.
#include <QObject>
#include <QPointer>

class QMenuBar;
class QWidget;

class MenuKeyboard : public QObject {
public:
    // Watches menuBar of window; fallback gets the keyboard when no other control had it.
    MenuKeyboard(QWidget* window, QMenuBar* menuBar, QWidget* fallback);

    // Where the keyboard goes back to: the last control of the window that had it outside the
    // menus, or the fallback.
    QWidget* returnTo() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWidget* old, QWidget* now);
    // Soon, once the menu bar has done its part: when the menu bar holds the keyboard with no
    // menu open and none of its entries active, the keyboard goes back.
    void checkSoon();
    void check();

    QWidget* window_;
    QMenuBar* menuBar_;
    QPointer<QWidget> fallback_;
    QPointer<QWidget> last_;
    bool checkPending_ = false;
    bool reactivate_ = false;  // a modal dialog of the window has closed
};
