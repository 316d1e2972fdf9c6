#include "annotate/text_resize.h"

#include <charconv>
#include <vector>

#include "board/board_reader.h"
#include "common/base_name.h"
#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::annotate {

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ')';
}

}  // namespace

using common::trimmedBlanks;

std::optional<int> textSizeValue(std::string_view typed) {
    std::string_view text = trimmedBlanks(typed);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    int value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        value < 0) {
        return std::nullopt;
    }
    return value;
}

namespace {

/// The sizes as they go into the file, or nothing (and a message) when one is no size.
std::optional<std::pair<std::string, std::string>> checkedSizes(common::Host& host,
                                                                const TextResizeOptions& opt) {
    auto height = textSizeValue(opt.height);
    auto width = textSizeValue(opt.width);
    if (!height || !width) {
        host.show(common::Box::Error,
                  "String Size and Line Width must be whole numbers of mils (0 or more); "
                  "nothing was written.",
                  common::Place::Screen);
        return std::nullopt;
    }
    return std::pair{common::decimal(*height), common::decimal(*width)};
}

}  // namespace

std::optional<std::string> resizedAttributeLine(std::string_view line, std::string_view height,
                                                std::string_view width) {
    // start and end of the first six fields
    std::vector<std::pair<size_t, size_t>> fields;
    size_t i = 0;
    while (fields.size() < 6) {
        while (i < line.size() && isSeparator(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            return std::nullopt;
        }
        const size_t start = i;
        while (i < line.size() && !isSeparator(line[i])) {
            ++i;
        }
        fields.emplace_back(start, i);
    }
    std::string result(line.substr(0, fields[2].first));
    result += height;
    result += line.substr(fields[2].second, fields[4].first - fields[2].second);
    result += width;
    result += line.substr(fields[4].second);
    return result;
}

common::Outcome resizeComponentText(common::Host& host, const std::string& boardPath,
                                    const TextResizeOptions& opt) {
    host.addLine("Change component text to " + opt.height + " / " + opt.width);
    const auto sizes = checkedSizes(host, opt);
    if (!sizes) {
        return common::Outcome::Refused;
    }
    const std::string outPath = common::withExtension(boardPath, ".NEW");
    try {
        common::refuseOverwritingInput(outPath, {boardPath});
    } catch (const common::IoError& e) {
        host.show(common::Box::Error, e.what(), common::Place::Screen);
        return common::Outcome::Refused;
    }

    if (!board::checkBoardFile(boardPath)) {
        host.warn(board::missingHeaderWarning(boardPath));
    }
    common::LineReader in(boardPath);
    common::LineWriter out(outPath);
    std::string line;
    int unchanged = 0;
    while (in.next(line)) {
        out.line(line);
        const int following = board::recordLineCount(line);
        if (following < 0) {
            continue;
        }
        const bool component = line == "COMP";
        // step over the whole record, so its text lines are never taken for keywords
        for (int k = 1; k <= following && in.next(line); ++k) {
            if (!component || k != 5) {
                out.line(line);
                continue;
            }
            // the designator text attributes: x, y, height, rotation, width, layer
            host.addLine("(1)" + line + "|");
            auto resized = resizedAttributeLine(line, sizes->first, sizes->second);
            if (!resized) {
                ++unchanged;
                host.addLine(boardPath + ":" + std::to_string(in.lineNumber()) +
                             ": fewer than six fields; line copied unchanged");
                out.line(line);
                continue;
            }
            host.addLine("(7)" + *resized + "|");
            out.line(*resized);
        }
    }
    out.commit();
    if (unchanged > 0) {
        host.addLine(std::to_string(unchanged) + " designator line" + (unchanged == 1 ? "" : "s") +
                     " left unchanged");
    }
    host.addLine("Done");
    return common::Outcome::Done;
}

common::Outcome changeComponentTextSize(common::Host& host, const TextResizeOptions& opt) {
    // the sizes are checked before a board is asked for, so a typing slip costs no file dialog
    if (!checkedSizes(host, opt)) {
        return common::Outcome::Refused;
    }
    auto chosen = host.askOpen(common::FileAsk{1, "", false, ""});
    if (chosen.empty()) {
        return common::Outcome::Cancelled;
    }
    const std::string& boardPath = chosen.front();
    common::checkInputFile(boardPath);
    if (!common::fileExists(boardPath)) {
        host.show(common::Box::Plain, "Invalid file name!", common::Place::Screen);
        return common::Outcome::Refused;
    }
    host.addLine(boardPath);
    return resizeComponentText(host, boardPath, opt);
}

}  // namespace padloom::annotate
