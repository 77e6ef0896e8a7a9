#include "speech/falar.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "speech/ormivox.h"

namespace falar {
namespace {

void ToDevNull() {
    const int null = open("/dev/null", O_RDWR);
    if (null < 0) return;
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (null > STDERR_FILENO) close(null);
}

}  // namespace

bool DetachedStarter::Start(const std::string& program) {
    // The grandchild reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    const char* path = program.c_str();

    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on: the parent may have threads.
        close(report[0]);
        setsid();
        const pid_t server = fork();
        if (server != 0) _exit(server < 0 ? 1 : 0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        ToDevNull();
        execl(path, path, static_cast<char*>(nullptr));
        const int error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    long got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

void Formula2(const std::string& line) { ormivox::SpeakLine(line); }

void LigarOrmivox(const std::string& startFolder, ServerStarter& starter, RetryPolicy retry) {
    if (ormivox::ConnectServer()) {
        ormivox::SpeakText(kActivated);
        return;
    }
    if (!starter.Start(startFolder + "/oxserver")) return;
    // A server just started needs a moment before it listens: try again for a while rather
    // than once at once.
    const auto deadline = std::chrono::steady_clock::now() + retry.total;
    bool connected = ormivox::ConnectServer();
    while (!connected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(retry.every);
        connected = ormivox::ConnectServer();
    }
    ormivox::SpeakText(connected ? kActivated : kNotActivated);
}

void LigarOrmivox(const std::string& startFolder) {
    DetachedStarter starter;
    LigarOrmivox(startFolder, starter);
}

}  // namespace falar
