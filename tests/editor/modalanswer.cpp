#include "modalanswer.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

ModalAnswer::ModalAnswer(std::function<void(QWidget*)> answer, int limitMs)
    : answer_(std::move(answer)), ticksLeft_(limitMs / 10) {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswer::poll);
    timer_.start();
}

void ModalAnswer::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
        if (--ticksLeft_ <= 0) timer_.stop();
        return;
    }
    // A dialog just shown gets the focus only once the window system has activated it; the
    // answer waits for that, unless it never comes.
    if (!modal->isActiveWindow() && --ticksLeft_ > 0) return;
    timer_.stop();
    answered_ = true;
    seenClass_ = QString::fromLatin1(modal->metaObject()->className());
    answer_(modal);
    if (QApplication::activeModalWidget() == modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        else modal->close();
    }
}
