#include "common/temp_files.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "common/errors.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace padloom::common {

namespace {

namespace fs = std::filesystem;

std::string osError(int err) {
    return std::generic_category().message(err);
}

// The list of live temporaries. A signal handler walks it while other threads add and drop
// entries, so an entry changes hands only through its state, and its path is freed only by
// the thread that took it back from kListed.
enum SlotState : int { kFree, kTaken, kListed, kRemoving, kRemoved };
struct Slot {
    std::atomic<int> state{kFree};
    char* path = nullptr;
};
static_assert(std::atomic<int>::is_always_lock_free);
constexpr int kSlotCount = 1024;
Slot g_slots[kSlotCount];

// Lists a path; -1 when the list is full (the file is then not removed on an interruption).
int listPath(const std::string& path) {
    for (int i = 0; i < kSlotCount; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kTaken)) {
            continue;
        }
        auto* copy = static_cast<char*>(std::malloc(path.size() + 1));
        if (!copy) {
            g_slots[i].state.store(kFree);
            return -1;
        }
        std::memcpy(copy, path.c_str(), path.size() + 1);
        g_slots[i].path = copy;
        g_slots[i].state.store(kListed);
        return i;
    }
    return -1;
}

void unlistPath(int slot) {
    if (slot < 0) {
        return;
    }
    Slot& s = g_slots[slot];
    int expected = kListed;
    if (!s.state.compare_exchange_strong(expected, kTaken)) {
        expected = kRemoved;
        if (!s.state.compare_exchange_strong(expected, kTaken)) {
            return;  // an interruption is removing it and ends the program: left to it
        }
    }
    std::free(s.path);
    s.path = nullptr;
    s.state.store(kFree);
}

// "<output name>.<one to six digits>.tmp": the names this program gives its temporaries.
bool isTemporaryNameOf(std::string_view name, std::string_view outputName) {
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() <= outputName.size() + 1 + kSuffix.size() || !name.starts_with(outputName) ||
        name[outputName.size()] != '.' || !name.ends_with(kSuffix)) {
        return false;
    }
    std::string_view digits = name.substr(outputName.size() + 1);
    digits.remove_suffix(kSuffix.size());
    if (digits.empty() || digits.size() > 6) {
        return false;
    }
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

#ifndef _WIN32
bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes a temporary of ours that nobody holds locked: its run has ended. One still being
// written (by this process or another) is locked and stays.
void removeIfStale(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return;
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::lstat(path.c_str(), &named) == 0 && sameFile(held, named)) {
        ::unlink(path.c_str());
    }
    ::close(fd);
}

enum class Lock { Held, Taken, Unsupported };

// Takes the lock of a new temporary on a handle of its own, which keeps it until the file is
// put in place or removed. Taken when a later run's sweep holds it: the file is being removed
// as stale, and another name must be tried.
Lock lockTemporary(const std::string& path, std::FILE* stream, int& handle) {
    handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0) {
        return Lock::Unsupported;
    }
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(handle);
        handle = -1;
        return taken ? Lock::Taken : Lock::Unsupported;
    }
    struct stat held {};
    struct stat written {};
    struct stat named {};
    if (::fstat(handle, &held) != 0 || ::fstat(::fileno(stream), &written) != 0 ||
        ::stat(path.c_str(), &named) != 0 || !sameFile(held, written) || !sameFile(held, named)) {
        ::close(handle);  // removed by a sweep before the lock was taken
        handle = -1;
        return Lock::Taken;
    }
    return Lock::Held;
}
#else
// Without locks: a temporary still open in another run cannot be removed there.
void removeIfStale(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
}
#endif

void closeLock(int& handle) {
#ifndef _WIN32
    if (handle >= 0) {
        ::close(handle);
    }
#endif
    handle = -1;
}

void removeStaleTemporaries(const std::string& target) {
    const fs::path output(target);
    const std::string outputName = output.filename().string();
    const fs::path folder = output.parent_path();
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder,
                              fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (isTemporaryNameOf(name, outputName)) {
            removeIfStale((folder / name).string());
        }
    }
}

extern "C" void onInterruption(int signal) {
    removeListedTemporaries();
    // the handler was reset on entry: the signal, raised again, ends the program as it would
    // have without us
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

TemporaryFile::TemporaryFile(const std::string& target) {
    removeStaleTemporaries(target);
    thread_local std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = target + "." + std::to_string(random() % 1000000) + ".tmp";
        // "x" never opens a file that exists
        std::FILE* stream = std::fopen(path.c_str(), "wbx");
        if (!stream) {
            if (errno == EEXIST) {
                continue;
            }
            throw IoError(target, osError(errno));
        }
        int lock = -1;
#ifndef _WIN32
        if (lockTemporary(path, stream, lock) == Lock::Taken) {
            std::fclose(stream);  // the sweep that holds it removes it
            continue;
        }
#endif
        m_path = std::move(path);
        m_stream = stream;
        m_lockHandle = lock;
        m_slot = listPath(m_path);
        return;
    }
    throw IoError(target, "no free name for a temporary file beside it");
}

TemporaryFile::~TemporaryFile() {
    discard();
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : m_path(std::move(other.m_path)),
      m_stream(other.m_stream),
      m_lockHandle(other.m_lockHandle),
      m_slot(other.m_slot) {
    other.m_path.clear();
    other.m_stream = nullptr;
    other.m_lockHandle = -1;
    other.m_slot = -1;
}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept {
    if (this != &other) {
        discard();
        m_path = std::move(other.m_path);
        m_stream = other.m_stream;
        m_lockHandle = other.m_lockHandle;
        m_slot = other.m_slot;
        other.m_path.clear();
        other.m_stream = nullptr;
        other.m_lockHandle = -1;
        other.m_slot = -1;
    }
    return *this;
}

void TemporaryFile::close(const std::string& target) {
    if (!m_stream) {
        return;
    }
    const int closed = std::fclose(m_stream);
    m_stream = nullptr;
    if (closed != 0) {
        throw IoError(target, osError(errno));
    }
}

void TemporaryFile::moveTo(const std::string& target) {
    std::error_code ec;
    fs::rename(m_path, target, ec);
    if (ec) {
        throw IoError(target, ec.message());
    }
    // unlisted before the lock goes: nothing is ever removed under its new name
    unlistPath(m_slot);
    m_slot = -1;
    closeLock(m_lockHandle);
    m_path.clear();
}

void TemporaryFile::discard() noexcept {
    if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    if (!m_path.empty()) {
        std::error_code ec;
        fs::remove(m_path, ec);
        m_path.clear();
    }
    unlistPath(m_slot);
    m_slot = -1;
    closeLock(m_lockHandle);
}

void removeListedTemporaries() noexcept {
    for (Slot& s : g_slots) {
        int expected = kListed;
        if (s.state.compare_exchange_strong(expected, kRemoving)) {
#ifndef _WIN32
            ::unlink(s.path);  // safe in a signal handler, unlike the library's remove
#else
            std::remove(s.path);
#endif
            s.state.store(kRemoved);
        }
    }
}

void removeTemporariesOnInterrupt() {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) {
        return;
    }
    std::atexit([] { removeListedTemporaries(); });
#ifndef _WIN32
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
            continue;  // started in the background with the signal ignored: it stays so
        }
        struct sigaction action {};
        action.sa_handler = onInterruption;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
#else
    for (int signal : {SIGINT, SIGTERM}) {
        if (std::signal(signal, onInterruption) == SIG_IGN) {
            std::signal(signal, SIG_IGN);
        }
    }
#endif
}

}  // namespace padloom::common
