#pragma once
// The end of a session: the signals by which a program is asked to end (SIGTERM when the
// desktop session ends, SIGHUP when its terminal goes away, SIGINT for Ctrl+C in a terminal)
// become a call on the event loop, where the program can still put its work in safety.
#include <QObject>
#include <functional>

class QSocketNotifier;

class SessionEnd : public QObject {
    Q_OBJECT
public:
    // From now on each of those signals runs beforeExit on this thread's event loop, and then
    // the program ends as the signal would have ended it. The signal handler itself only
    // writes the signal's number into a socket pair. One object at a time.
    explicit SessionEnd(std::function<void()> beforeExit, QObject* parent = nullptr);
    // Gives the signals back their default handling.
    ~SessionEnd() override;

private:
    void signalled();

    std::function<void()> beforeExit_;
    QSocketNotifier* notifier_ = nullptr;
};
