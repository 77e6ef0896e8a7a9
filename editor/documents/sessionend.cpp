#include "editor/documents/sessionend.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// [0] is written by the handler, [1] read by the notifier.
int wakeup[2] = {-1, -1};

extern "C" void onSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full socket already holds a wake-up; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t n = ::write(wakeup[0], &number, 1);
    errno = saved;
}

}  // namespace

SessionEnd::SessionEnd(std::function<void()> beforeExit, QObject* parent)
    : QObject(parent), beforeExit_(std::move(beforeExit)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeup) != 0) return;
    notifier_ = new QSocketNotifier(wakeup[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SessionEnd::signalled);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

SessionEnd::~SessionEnd() {
    if (!notifier_) return;
    for (int signal : kSignals) std::signal(signal, SIG_DFL);
    delete notifier_;
    ::close(wakeup[0]);
    ::close(wakeup[1]);
    wakeup[0] = wakeup[1] = -1;
}

void SessionEnd::signalled() {
    unsigned char number = 0;
    if (::read(wakeup[1], &number, 1) != 1) return;
    notifier_->setEnabled(false);
    if (beforeExit_) beforeExit_();
    // Ended by the signal itself, as without this object, so that whoever waits for the
    // program sees why it ended.
    std::signal(number, SIG_DFL);
    ::raise(number);
    ::_exit(128 + number);
}
