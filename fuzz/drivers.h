#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace padloom::fuzz {

/// Separates the files of an input for a tool that reads more than one file (a report and its
/// board, a board and its aperture file), one line of its own between them.
constexpr std::string_view kNextFile = "\n--next file--\n";

/// The parts of an input split at kNextFile, at most `count` of them (the last takes the rest).
std::vector<std::string_view> splitFiles(std::string_view input, size_t count);

/// Runs one input through the real tool path of a reader: its files are written into the
/// empty scratch folder, the tool reads them and writes its outputs there. A clear refusal
/// (an IoError) is a sound end of a run; anything else escapes to the caller.
using Driver = void (*)(std::string_view input, const std::filesystem::path& scratch);

struct Target {
    const char* name;  // also the folder name of its seeds and of its kept findings
    Driver run;
};

/// Every fuzz target, one per reader of outside files.
const std::vector<Target>& targets();

/// The driver of a target, or nullptr for an unknown name.
Driver driverOf(std::string_view name);

}  // namespace padloom::fuzz
