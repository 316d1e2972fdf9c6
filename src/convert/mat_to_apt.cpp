#include "convert/mat_to_apt.h"

#include <algorithm>
#include <unordered_set>

#include "common/base_name.h"
#include "common/errors.h"
#include "common/text_io.h"

namespace padloom::convert {

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ')';
}

// The progress bar counts 0 to 100 and starts again at 0.
class WrappingProgress {
public:
    explicit WrappingProgress(common::Host& host) : m_host(host) {}
    void start() { m_host.setProgress(m_value = 0); }
    void step() { m_host.setProgress(m_value = m_value == 100 ? 0 : m_value + 1); }

private:
    common::Host& m_host;
    int m_value = 0;
};

// Puts the status display back to idle: "Ready" and no progress bar, however the run ends.
class StatusDisplay {
public:
    explicit StatusDisplay(common::Host& host) : m_host(host) {}
    ~StatusDisplay() { idle(); }
    void idle() {
        if (!m_idle) {
            m_host.setStatus("Ready");
            m_host.setProgress(-1);
            m_host.letMessagesRun();
            m_idle = true;
        }
    }

private:
    common::Host& m_host;
    bool m_idle = false;
};

}  // namespace

std::optional<MatLine> parseMatLine(std::string_view line) {
    if (line.size() < 2) {
        return std::nullopt;
    }
    const size_t last = line.size() - 1;
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon >= last) {
        return std::nullopt;
    }
    size_t d = line.find('D', colon + 1);
    if (d == std::string_view::npos || d >= last) {
        return std::nullopt;
    }
    size_t end = d + 1;
    while (end < line.size() && !isSeparator(line[end])) {
        ++end;
    }
    // the D-code must be followed by a separator that is not the last character
    if (end >= last || end == d + 1) {
        return std::nullopt;
    }
    long long value = 0;
    for (size_t i = d + 1; i < end; ++i) {
        char c = line[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > 999999999) {
            return std::nullopt;
        }
    }
    if (value < 1) {
        return std::nullopt;
    }
    return MatLine{static_cast<int>(value), d};
}

std::string aptLineOfMat(std::string_view line, const MatLine& parsed) {
    // split at the "D" that gave the D-code, so that a "D" in the name before the ":" does
    // not cut the line where no reader finds the aperture
    std::string out(line.substr(parsed.dPos));
    out += '\t';
    if (parsed.dPos > 2) {
        out += line.substr(0, parsed.dPos - 2);
    }
    return out;
}

std::optional<std::string> aptTextOfMatFile(common::Host& host, const std::string& matPath) {
    struct Entry {
        int dcode;
        std::string line;
    };
    std::vector<Entry> entries;
    std::unordered_set<int> seen;
    WrappingProgress progress(host);
    progress.start();

    common::LineReader reader(matPath);
    if (reader.looksBinary()) {
        throw common::FormatError(matPath,
                                  "not an aperture matrix: it holds binary data, not text");
    }
    std::string line;
    while (reader.next(line)) {
        auto parsed = parseMatLine(line);
        if (!parsed || !seen.insert(parsed->dcode).second) {
            continue;  // not an aperture line, or a D-code already taken by an earlier line
        }
        if (entries.size() == kMatMaxDcodes) {
            host.show(common::Box::Error,
                      matPath + ":" + std::to_string(reader.lineNumber()) + ": D" +
                          std::to_string(parsed->dcode) + " is D-code number " +
                          std::to_string(kMatMaxDcodes + 1) + "; an aperture list holds at most " +
                          std::to_string(kMatMaxDcodes) + " D-codes. Nothing written.",
                      common::Place::Screen);
            return std::nullopt;
        }
        entries.push_back({parsed->dcode, aptLineOfMat(line, *parsed)});
        progress.step();
    }

    if (entries.empty()) {
        // an empty aperture file would replace a good one and plot nothing
        throw common::FormatError(matPath,
                                  "not an aperture matrix: no line gives a D-code after its \":\"");
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.dcode < b.dcode; });
    progress.step();

    std::string text;
    for (const auto& e : entries) {
        text += e.line + "\r\n";
    }
    return text;
}

common::Outcome matToApt(common::Host& host, const MatToAptOptions& options,
                         std::string* aptPathOut) {
    auto chosen = host.askOpen(common::FileAsk{3, "", false, ""});
    if (chosen.empty()) {
        return common::Outcome::Cancelled;
    }
    const std::string& matPath = chosen.front();
    const std::string aptPath = common::baseName(matPath) + ".APT";

    StatusDisplay status(host);
    host.setProgress(-1);
    host.setStatus("pass 1.  Reading MAT file.");
    host.letMessagesRun();
    common::checkInputFile(matPath);
    if (!common::fileExists(matPath)) {
        throw common::IoError(matPath, "no such file");
    }
    // a matrix named X.APT would become its own output
    common::refuseOverwritingInput(aptPath, {matPath});

    if (common::fileExists(aptPath) &&
        !host.askYesNo("File " + aptPath + " exisits!  Replace this file?",  // sic
                       common::Place::Screen)) {
        return common::Outcome::Cancelled;
    }
    auto text = aptTextOfMatFile(host, matPath);
    if (!text) {
        return common::Outcome::Refused;
    }
    common::LineWriter out(aptPath);
    out.write(*text);
    out.commit();
    status.idle();
    if (aptPathOut) {
        *aptPathOut = aptPath;
    }

    if (options.openNotepad) {
        host.openInViewer(aptPath);
    }
    return common::Outcome::Done;
}

}  // namespace padloom::convert
