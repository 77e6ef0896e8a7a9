#pragma once
// Answers the next modal dialog of a test from inside its event loop, so that a command that
// opens one can run to the end. A dialog that nobody answers would block the test forever.
#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;

class ModalAnswer : public QObject {
    Q_OBJECT
public:
    // answer runs once, on the first modal widget that comes up, once it is active, and must
    // close it. When no modal widget shows within the time limit, nothing runs and answered()
    // stays false; a modal widget that answer leaves open is rejected so that the test can go
    // on.
    explicit ModalAnswer(std::function<void(QWidget*)> answer, int limitMs = 5000);

    bool answered() const { return answered_; }
    // Class name of the modal widget that came up, or empty.
    QString seenClass() const { return seenClass_; }

private:
    void poll();

    std::function<void(QWidget*)> answer_;
    QTimer timer_;
    int ticksLeft_;
    bool answered_ = false;
    QString seenClass_;
};
