#pragma once

#include <functional>
#include <iosfwd>

#include "common/host.h"

namespace padloom::cli {

/// The command line's Host: questions are answered from options, never from a terminal unless
/// asked to; boxes and message-list lines go to standard output, errors to standard error.
class CliHost : public common::Host {
public:
    /// `input` is the file a tool asks for in its open dialog; `yes` answers Yes/No questions.
    CliHost(std::vector<std::string> inputs, bool yes, bool quiet = false)
        : m_inputs(std::move(inputs)), m_yes(yes), m_quiet(quiet) {}

    std::vector<std::string> askOpen(const common::FileAsk& ask) override;
    std::optional<std::string> askSave(const common::FileAsk& ask) override;
    bool askYesNo(std::string_view text, common::Place place) override;
    void show(common::Box box, std::string_view text, common::Place place) override;
    std::optional<std::string> askLine(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override;
    void addLine(std::string_view text) override;
    void warn(std::string_view text) override;
    void setStatus(std::string_view) override {}
    void setProgress(int) override {}
    void letMessagesRun() override {}
    void beep() override {}
    void openInViewer(const std::string&) override {}
    common::PackageAnswer askPackage(const common::PackageQuestion& question) override;

    /// Answers for askSave, in order.
    std::vector<std::string> saveAnswers;
    /// Answers for askLine, in order; when they run out and `ask` is set, the terminal is asked.
    std::vector<std::string> lineAnswers;
    bool askTerminal = false;
    /// Answers the package choice question (from a map file or the preselection); without it
    /// the run stops.
    std::function<common::PackageAnswer(const common::PackageQuestion&)> packageAnswer;
    /// Whether a Yes/No question was answered No (the safe default without --yes).
    bool declined = false;

private:
    std::vector<std::string> m_inputs;
    bool m_yes;
    bool m_quiet;
};

}  // namespace padloom::cli
