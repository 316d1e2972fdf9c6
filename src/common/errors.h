#pragma once

#include <stdexcept>
#include <string>

namespace padloom::common {

/// An input/output failure: the file concerned and what went wrong, fit to show to the user.
class IoError : public std::runtime_error {
public:
    IoError(std::string path, const std::string& what)
        : std::runtime_error(path.empty() ? what : path + ": " + what), m_path(std::move(path)) {}
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

/// An input that does not look like the format its reader expects (binary bytes for a text
/// file, a board without any sign of a board): the file and what it is not. The run stops.
class FormatError : public IoError {
public:
    using IoError::IoError;
};

/// How a tool run ended, when it did not throw.
enum class Outcome { Done, Cancelled, Refused };

}  // namespace padloom::common
