#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/host.h"

namespace padloom::common {

/// A Host that answers from queues and records a transcript of everything asked and shown,
/// one entry per call, for example "yesno|File B.APT exisits!  Replace this file?".
/// Used by tests; an empty queue answers "cancel" / "no".
class ScriptedHost : public Host {
public:
    std::deque<std::vector<std::string>> openAnswers;  // each entry one dialog's answer
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> lineAnswers;
    /// Package choice answers; an answer with an empty text keeps the text the dialog showed.
    std::deque<PackageAnswer> packageAnswers;

    std::vector<std::string> transcript;  // every call, in order
    std::vector<std::string> lines;       // only the message list lines
    std::vector<std::string> viewed;      // files opened in the viewer
    int beeps = 0;

    std::vector<std::string> askOpen(const FileAsk& ask) override;
    std::optional<std::string> askSave(const FileAsk& ask) override;
    bool askYesNo(std::string_view text, Place place) override;
    void show(Box box, std::string_view text, Place place) override;
    std::optional<std::string> askLine(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override;
    void addLine(std::string_view text) override;
    void warn(std::string_view text) override;  // "warn|text", and a message list line
    void setStatus(std::string_view text) override;
    void setProgress(int percent) override;
    void letMessagesRun() override {}
    void beep() override;
    void openInViewer(const std::string& path) override;
    PackageAnswer askPackage(const PackageQuestion& question) override;
};

}  // namespace padloom::common
