#pragma once

#include <cstdio>
#include <string>

namespace padloom::common {

/// A temporary file beside an output, named after it ("board.GTL.123456.tmp"), where the output
/// is written before it is put in place. While it exists it is listed where an interruption
/// (Ctrl-C, a termination signal) or the program's exit finds and removes it, and it is locked,
/// so that a later run tells a temporary left behind by a run that ended from one still being
/// written. Removed with this object unless moved over its target first.
class TemporaryFile {
public:
    TemporaryFile() = default;
    /// Creates a new temporary file beside `target`, open for writing bytes, after removing the
    /// temporaries of `target` that runs now ended left behind. Throws IoError.
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    /// The stream to write to; null once closed.
    std::FILE* stream() const { return m_stream; }
    const std::string& path() const { return m_path; }
    /// Closes the stream; the file stays, listed and locked. Throws IoError naming `target`.
    void close(const std::string& target);
    /// Renames the closed file over `target`. Throws IoError naming `target`.
    void moveTo(const std::string& target);

private:
    void discard() noexcept;

    std::string m_path;
    std::FILE* m_stream = nullptr;
    int m_lockHandle = -1;  // holds the lock while the file exists
    int m_slot = -1;        // where the file is listed for removal on an interruption
};

/// Removes every temporary file this process has listed and not yet put in place. Safe to call
/// from a signal handler; the files' owners then fail to put them in place.
void removeListedTemporaries() noexcept;

/// On SIGINT, SIGTERM and SIGHUP (unless the program was started with them ignored), and when
/// the program exits, removes the listed temporary files; the signal then ends the program as
/// it would have. Called once, early in main.
void removeTemporariesOnInterrupt();

}  // namespace padloom::common
