#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace padloom::testing {

/// A fresh folder under the system temp folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    /// Full path of a file in the folder.
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    /// Writes `bytes` to a file in the folder and returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path m_path;
};

/// Whole file as bytes; throws when it cannot be read.
std::string readFile(const std::string& path);

/// Splits bytes at CR LF line ends; fails the calling test on a bare LF or CR.
std::vector<std::string> crlfLines(const std::string& bytes);

/// Joins lines with CR LF after each one.
std::string crlf(const std::vector<std::string>& lines);

/// The shared samples folder, or "" when it is absent (tests then skip).
std::string sharedDir();
/// The sample boards of the shared samples folder, sorted by name.
std::vector<std::string> sampleBoards();
/// The project's source folder.
std::string sourceDir();
/// The padloom-cli program built with the tests.
std::string cliPath();

/// Runs a shell command; returns its exit status and puts its standard output in `output`.
int runCommand(const std::string& command, std::string* output = nullptr);

}  // namespace padloom::testing
