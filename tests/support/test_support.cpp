#include "support/test_support.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>
#include <sys/wait.h>

namespace padloom::testing {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    do {
        m_path = base / ("padloom-test-" + std::to_string(rd()));
    } while (std::filesystem::exists(m_path));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    auto p = m_path / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << bytes;
    return p.string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "last line has no CR LF: " << bytes.substr(start);
            lines.push_back(bytes.substr(start));
            break;
        }
        std::string line = bytes.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "bare CR or LF in " << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

std::string crlf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

std::string sharedDir() {
    std::filesystem::path dir = PADLOOM_SHARED_DIR;
    return std::filesystem::is_directory(dir / "samples") ? dir.string() : "";
}

std::vector<std::string> sampleBoards() {
    std::vector<std::string> boards;
    std::string shared = sharedDir();
    if (shared.empty()) {
        return boards;
    }
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(shared) / "samples/autotrax")) {
        boards.push_back(entry.path().string());
    }
    std::sort(boards.begin(), boards.end());
    return boards;
}

std::string sourceDir() {
    return PADLOOM_SOURCE_DIR;
}

std::string cliPath() {
    return PADLOOM_CLI;
}

int runCommand(const std::string& command, std::string* output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return -1;
    }
    std::array<char, 4096> buffer;
    std::string text;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        text.append(buffer.data(), n);
    }
    int status = pclose(pipe);
    if (output) {
        *output = text;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace padloom::testing
