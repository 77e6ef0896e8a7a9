#include "editor/documents/recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QDateTime>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "editor/documents/documenttext.h"
#include "editor/documents/documents.h"
#include "settings/settings.h"
#include "editor/window/editorparts.h"
#include "platform/fileerror.h"
#include "platform/messages.h"

namespace recovery {
namespace {

constexpr std::string_view kMagic = "VELLOQ RECUPERACAO 1\n";

// A decimal number that fills text; nullopt for anything else.
template <typename Number>
std::optional<Number> wholeNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

}  // namespace

std::string Folder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/velloq/recuperacao";
    std::string home;
    if (const char* env = std::getenv("HOME"); env && *env) {
        home = env;
    } else if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) {
        home = user->pw_dir;
    }
    return home + "/.local/state/velloq/recuperacao";
}

std::string Serialize(const Copy& copy) {
    const QByteArray text = copy.text.toUtf8();
    std::string out(kMagic);
    out += std::to_string(copy.writtenAt) + ' ' + std::to_string(copy.document.size()) + ' ' +
           std::to_string(text.size()) + '\n';
    out.reserve(out.size() + copy.document.size() + 1 + size_t(text.size()));
    out += copy.document;
    out += '\n';
    out.append(text.constData(), size_t(text.size()));
    return out;
}

std::optional<Copy> Parse(std::string_view bytes) {
    if (bytes.substr(0, kMagic.size()) != kMagic) return std::nullopt;
    bytes.remove_prefix(kMagic.size());
    const size_t lineEnd = bytes.find('\n');
    if (lineEnd == std::string_view::npos) return std::nullopt;
    const std::string_view header = bytes.substr(0, lineEnd);
    bytes.remove_prefix(lineEnd + 1);

    const size_t first = header.find(' ');
    const size_t second = first == std::string_view::npos ? first : header.find(' ', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto writtenAt = wholeNumber<long long>(header.substr(0, first));
    const auto pathSize = wholeNumber<size_t>(header.substr(first + 1, second - first - 1));
    const auto textSize = wholeNumber<size_t>(header.substr(second + 1));
    if (!writtenAt || !pathSize || !textSize) return std::nullopt;
    // Exactly the path, its line end and the text: a file cut short or grown is not one copy.
    if (*pathSize >= bytes.size() || bytes.size() - *pathSize - 1 != *textSize) return std::nullopt;
    if (bytes[*pathSize] != '\n') return std::nullopt;

    Copy copy;
    copy.writtenAt = *writtenAt;
    copy.document = std::string(bytes.substr(0, *pathSize));
    if (copy.document.find('\0') != std::string::npos) return std::nullopt;
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const std::string_view text = bytes.substr(*pathSize + 1);
    copy.text = utf8(QByteArrayView(text.data(), qsizetype(text.size())));
    if (utf8.hasError()) return std::nullopt;
    return copy;
}

}  // namespace recovery

namespace {

using recovery::Copy;

constexpr std::string_view kPrefix = "velloq-";
constexpr std::string_view kDataEnd = ".vrec";
constexpr std::string_view kLockEnd = ".lock";
constexpr std::string_view kAsidePrefix = "recusado-";
constexpr size_t kAsideKept = 3;

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }
bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Whether fd is still the file that path names (another editor may have removed it and a
// third made a new one under the name).
bool sameFile(int fd, const std::string& path) {
    struct stat opened, named;
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// The names in folder; empty when it cannot be read.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Makes folder and the folders above it, private to the user where they are new; folder itself
// is made private in any case, since the copies in it are the user's unsaved texts.
void makeFolder(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) throw safefile::FileError(part, errno, "criar");
        if (slash == std::string::npos) break;
    }
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) throw safefile::FileError(folder, errno, "criar");
    if (!S_ISDIR(st.st_mode)) throw safefile::FileError(folder, ENOTDIR, "criar");
    if ((st.st_mode & 077) != 0) ::chmod(folder.c_str(), st.st_mode & 07700);
}

// A lock held on a file of the recovery folder: an editor holds the lock of its own copy for as
// long as it runs, so a copy whose lock can be taken was left by an editor that has ended.
class HeldLock {
public:
    HeldLock() = default;
    HeldLock(HeldLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}
    HeldLock& operator=(HeldLock&& other) noexcept {
        std::swap(fd_, other.fd_);
        std::swap(path_, other.path_);
        return *this;
    }
    ~HeldLock() { release(); }

    // Takes the lock of path without waiting, making the file when it is missing; false when
    // another editor holds it or it cannot be had.
    bool take(const std::string& path, bool create) {
        release();
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
        if (fd < 0) return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !sameFile(fd, path)) {
            ::close(fd);
            return false;
        }
        fd_ = fd;
        path_ = path;
        return true;
    }
    // A new lock file under a name no editor has used, in folder; throws FileError.
    void makeNew(const std::string& folder) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            std::string path = folder + "/" + std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX" +
                               std::string(kLockEnd);
            const int fd = ::mkostemps(path.data(), int(kLockEnd.size()), O_CLOEXEC);
            if (fd < 0) throw safefile::FileError(folder, errno, "gravar");
            // An editor starting at this moment may take an empty lock for a dead one's and
            // remove it: then the name is no longer ours and another is tried.
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, path)) {
                release();
                fd_ = fd;
                path_ = std::move(path);
                return;
            }
            ::close(fd);
        }
        throw safefile::FileError(folder, EAGAIN, "gravar");
    }
    // Removes the lock file, then lets go of the lock.
    void removeAndRelease() {
        if (fd_ >= 0) ::unlink(path_.c_str());
        release();
    }
    void release() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        path_.clear();
    }
    bool held() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// The copy file that goes with a lock file.
std::string dataFileOf(const std::string& lockPath) {
    return lockPath.substr(0, lockPath.size() - kLockEnd.size()) + std::string(kDataEnd);
}

// A copy left by an editor that has ended, with its lock held while the user decides.
struct LeftCopy {
    std::string file;
    HeldLock lock;
    Copy copy;
};

// The whole copies in folder whose editors have ended, newest first, each one's lock held;
// files that are not whole copies are passed over. Lock files left without their copy are
// removed on the way.
std::vector<LeftCopy> claimLeftCopies(const std::string& folder) {
    std::vector<LeftCopy> left;
    const std::vector<std::string> names = namesIn(folder);
    auto listed = [&names](const std::string& name) { return std::binary_search(names.begin(), names.end(), name); };
    for (const std::string& name : names) {
        if (!startsWith(name, kPrefix)) continue;
        const std::string path = folder + "/" + name;
        if (endsWith(name, kLockEnd)) {
            HeldLock lock;
            if (!listed(name.substr(0, name.size() - kLockEnd.size()) + std::string(kDataEnd)) && lock.take(path, false))
                lock.removeAndRelease();
            continue;
        }
        if (!endsWith(name, kDataEnd)) continue;
        LeftCopy entry;
        entry.file = path;
        if (!entry.lock.take(path.substr(0, path.size() - kDataEnd.size()) + std::string(kLockEnd), true)) continue;
        std::optional<Copy> copy;
        try {
            copy = recovery::Parse(doctext::ReadFile(path));
        } catch (const std::runtime_error&) {
            // Unreadable, or too large to be a copy: passed over like any foreign file.
        }
        if (!copy) continue;
        entry.copy = std::move(*copy);
        left.push_back(std::move(entry));
    }
    std::stable_sort(left.begin(), left.end(),
                     [](const LeftCopy& a, const LeftCopy& b) { return a.copy.writtenAt > b.copy.writtenAt; });
    return left;
}

// Renames a refused copy aside, numbered after the others, where only the last few refused
// stay.
void putAside(const std::string& folder, const std::string& file) {
    std::vector<std::string> aside;
    unsigned long long last = 0;
    for (const std::string& entry : namesIn(folder)) {
        if (!startsWith(entry, kAsidePrefix)) continue;
        aside.push_back(entry);
        const std::string_view rest = std::string_view(entry).substr(kAsidePrefix.size());
        last = std::max(last, recovery::wholeNumber<unsigned long long>(rest.substr(0, rest.find('-'))).value_or(0));
    }
    char number[24];
    std::snprintf(number, sizeof number, "%010llu", last + 1);
    const std::string name = std::string(kAsidePrefix) + number + "-" + file.substr(file.rfind('/') + 1);
    if (::rename(file.c_str(), (folder + "/" + name).c_str()) != 0) return;
    aside.push_back(name);
    std::sort(aside.begin(), aside.end());
    for (size_t i = 0; i + kAsideKept < aside.size(); ++i) ::unlink((folder + "/" + aside[i]).c_str());
}

// The file writer makes each new version of a copy under a hidden name beside it and renames
// it into place; a kill in the middle of a write leaves that file behind.
constexpr std::string_view kTemporaryPrefix = ".velloq-";
constexpr int kTemporaryAgeSeconds = 60;

// Removes the temporary files in folder that no running editor can still be writing: more
// than a minute old, and last written before every lock an editor still holds was made.
// Their names do not say whose they are, but an editor makes its lock before its first copy,
// so a file older than every held lock belongs to none of them.
void removeLeftTemporaryFiles(const std::string& folder) {
    const std::vector<std::string> names = namesIn(folder);
    const timespec now = [] {
        timespec t{};
        ::clock_gettime(CLOCK_REALTIME, &t);
        return t;
    }();
    // The oldest lock held by a running editor (a lock that cannot be had at once).
    timespec oldestHeld{now.tv_sec + 1, 0};
    for (const std::string& name : names) {
        if (!startsWith(name, kPrefix) || !endsWith(name, kLockEnd)) continue;
        const int fd = ::open((folder + "/" + name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st;
        if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && ::fstat(fd, &st) == 0 &&
            std::tie(st.st_mtim.tv_sec, st.st_mtim.tv_nsec) < std::tie(oldestHeld.tv_sec, oldestHeld.tv_nsec))
            oldestHeld = st.st_mtim;
        ::close(fd);
    }
    for (const std::string& name : names) {
        if (!startsWith(name, kTemporaryPrefix)) continue;
        const std::string path = folder + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (now.tv_sec - st.st_mtim.tv_sec <= kTemporaryAgeSeconds) continue;
        if (std::tie(st.st_mtim.tv_sec, st.st_mtim.tv_nsec) >= std::tie(oldestHeld.tv_sec, oldestHeld.tv_nsec)) continue;
        ::unlink(path.c_str());
    }
}

// Makes the file of this editor's copy, readable and writable by the user alone, before the
// first copy goes into it: every later write keeps the file's mode, so the text is never
// readable by others, whatever the folder allows.
void makeCopyFile(const std::string& path) {
    // A copy there already (or the file its link names) becomes the user's alone; anything but
    // a plain file is left to the writer, which refuses it. stat, not open: opening a pipe
    // nobody reads would wait for good.
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISREG(st.st_mode)) ::chmod(path.c_str(), 0600);
        return;
    }
    if (errno != ENOENT) return;
    // A link that leads nowhere is replaced by the writer; a new copy is born owner-only.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) ::close(fd);
}

}  // namespace

// Writes and removes this editor's copy in the order asked, off the window's thread. Only the
// newest request waiting counts: a copy superseded before its turn is never written.
struct Recovery::Writer {
    struct Job {
        unsigned long long number = 0;
        bool remove = false;
        Copy copy;
    };

    Writer(std::string folder, std::function<void(const std::string&)> failed)
        : folder_(std::move(folder)), failed_(std::move(failed)), thread_([this] { run(); }) {}

    ~Writer() {
        {
            std::lock_guard<std::mutex> guard(queue_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
        // A normal exit: the copy is no longer wanted, nor the lock that guarded it.
        std::lock_guard<std::mutex> guard(io_);
        if (lock_.held()) {
            ::unlink(dataFileOf(lock_.path()).c_str());
            lock_.removeAndRelease();
        }
    }

    // Hands job to the thread in place of any job still waiting.
    void post(Job job) {
        {
            std::lock_guard<std::mutex> guard(queue_);
            waiting_ = std::move(job);
        }
        wake_.notify_one();
    }

    // Does job on the calling thread, after the one under way. True unless a write failed.
    bool runNow(Job job) {
        {
            std::lock_guard<std::mutex> guard(queue_);
            if (waiting_ && waiting_->number < job.number) waiting_.reset();
        }
        return perform(job);
    }

    std::string file() const {
        std::lock_guard<std::mutex> guard(name_);
        return file_;
    }

    const std::string& folder() const { return folder_; }

private:
    void run() {
        for (;;) {
            Job job;
            {
                std::unique_lock<std::mutex> guard(queue_);
                wake_.wait(guard, [this] { return stopping_ || waiting_.has_value(); });
                if (stopping_) return;
                job = std::move(*waiting_);
                waiting_.reset();
            }
            perform(job);
        }
    }

    bool perform(Job& job) {
        std::lock_guard<std::mutex> guard(io_);
        if (job.number <= done_) return true;  // a newer request was done already
        done_ = job.number;
        if (job.remove) {
            if (lock_.held()) ::unlink(dataFileOf(lock_.path()).c_str());
            return true;
        }
        try {
            if (!lock_.held()) {
                makeFolder(folder_);
                lock_.makeNew(folder_);
            }
            // Made anew after a removal too.
            makeCopyFile(dataFileOf(lock_.path()));
            job.copy.text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'))
                .replace(QChar::LineSeparator, QLatin1Char('\n'));
            doctext::WriteFile(dataFileOf(lock_.path()), recovery::Serialize(job.copy));
            std::lock_guard<std::mutex> naming(name_);
            file_ = dataFileOf(lock_.path());
            return true;
        } catch (const safefile::FileError& error) {
            failed_(error.what());
            return false;
        }
    }

    const std::string folder_;
    const std::function<void(const std::string&)> failed_;

    std::mutex io_;  // the files; held while one is written
    unsigned long long done_ = 0;
    HeldLock lock_;

    mutable std::mutex name_;
    std::string file_;

    std::mutex queue_;
    std::condition_variable wake_;
    std::optional<Job> waiting_;
    bool stopping_ = false;

    std::thread thread_;  // last: starts once the rest is ready
};

Recovery::Recovery(EditorParts& parts, Documents& documents, std::string folder)
    : parts_(parts), documents_(documents) {
    writer_ = std::make_unique<Writer>(std::move(folder), [this](const std::string& why) {
        QMetaObject::invokeMethod(this, [this, why] { reportFailure(why); }, Qt::QueuedConnection);
    });
    pause_.setSingleShot(true);
    longest_.setSingleShot(true);
    setDelays(3000, 30000);
    connect(&pause_, &QTimer::timeout, this, &Recovery::takeCopy);
    connect(&longest_, &QTimer::timeout, this, &Recovery::takeCopy);
    QTextDocument* document = parts_.textEdit->document();
    connect(document, &QTextDocument::contentsChanged, this, &Recovery::textChanged);
    connect(document, &QTextDocument::modificationChanged, this, &Recovery::textChanged);
    // A new name for the same text ("Nova página" answered No) goes into the copy too.
    connect(parts_.window, &QWidget::windowTitleChanged, this, &Recovery::textChanged);
    connect(parts_.startupTimer, &QTimer::timeout, this, &Recovery::OfferLeftCopies);
}

Recovery::~Recovery() { writer_.reset(); }

void Recovery::setDelays(int pauseMs, int longestMs) {
    pause_.setInterval(pauseMs);
    longest_.setInterval(longestMs);
}

std::string Recovery::file() const { return writer_->file(); }

void Recovery::textChanged() {
    // The flag is read rather than taken from the signals: undoing back to the saved text is
    // turned into a change again while the signal is delivered, and clearing the editor
    // passes through states that it reports out of order.
    if (!documents_.isModified()) {
        dropCopy();
        return;
    }
    pause_.start();
    if (!longest_.isActive()) longest_.start();
}

void Recovery::dropCopy() {
    pause_.stop();
    longest_.stop();
    writer_->post({++nextJob_, true, {}});
}

void Recovery::takeCopy() {
    if (!documents_.isModified()) {
        dropCopy();
        return;
    }
    pause_.stop();
    longest_.stop();
    writer_->post({++nextJob_, false, snapshot()});
}

bool Recovery::WriteNow() {
    pause_.stop();
    longest_.stop();
    const bool modified = documents_.isModified();
    return writer_->runNow({++nextJob_, !modified, modified ? snapshot() : Copy{}});
}

Copy Recovery::snapshot() const {
    Copy copy;
    copy.document = documents_.currentFile();
    // A name picked in the file list is bare; the copy must find it from anywhere.
    if (!copy.document.empty() && copy.document.front() != '/')
        copy.document = settings::CurrentDirectory() + "/" + copy.document;
    copy.writtenAt = QDateTime::currentSecsSinceEpoch();
    // The raw text is the editor's own buffer, taken without conversion; the worker makes its
    // paragraph marks line ends.
    copy.text = parts_.textEdit->document()->toRawText();
    return copy;
}

void Recovery::reportFailure(const std::string& why) {
    if (failureShown_) return;
    failureShown_ = true;
    messages::ShowWarning("A c\xC3\xB3pia de recupera\xC3\xA7\xC3\xA3o do texto n\xC3\xA3o p\xC3\xB4" "de ser gravada (" + why +
                   "). O texto continua no editor; salve-o para n\xC3\xA3o perd\xC3\xAA-lo.");
}

void Recovery::OfferLeftCopies() {
    if (offered_) return;
    offered_ = true;
    const std::string& folder = writer_->folder();
    removeLeftTemporaryFiles(folder);
    for (LeftCopy& left : claimLeftCopies(folder)) {
        const std::string name = left.copy.document.empty() ? "sem t\xC3\xADtulo" : left.copy.document;
        const std::string when = QDateTime::fromSecsSinceEpoch(left.copy.writtenAt)
                                     .toString(QStringLiteral("dd/MM/yyyy HH:mm"))
                                     .toStdString();
        if (!messages::AskYesNo(kConfirmCaption,
                                "Recuperar o texto n\xC3\xA3o salvo de " + name + " (" + when + ")?")) {
            putAside(folder, left.file);
            left.lock.removeAndRelease();
            continue;
        }
        // A document that is still there is loaded first, for its name and for the format a
        // save writes it in again (a UTF-8 document stays UTF-8); then the copy's text takes
        // the place of the file's.
        struct stat st;
        const bool there = !left.copy.document.empty() && ::stat(left.copy.document.c_str(), &st) == 0 &&
                           S_ISREG(st.st_mode);
        if (!there || !documents_.LoadDocument(left.copy.document)) documents_.ClearEditor();
        parts_.textEdit->setPlainText(left.copy.text);
        parts_.textEdit->document()->setModified(true);
        // The old copy goes only once this editor's own holds the text.
        if (WriteNow()) {
            ::unlink(left.file.c_str());
            left.lock.removeAndRelease();
        }
        return;
    }
}
