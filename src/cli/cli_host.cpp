#include "cli/cli_host.h"

#include <iostream>

namespace padloom::cli {

std::vector<std::string> CliHost::askOpen(const common::FileAsk& ask) {
    if (ask.multiple) {
        auto all = std::move(m_inputs);
        m_inputs.clear();
        return all;
    }
    if (m_inputs.empty()) {
        return {};
    }
    std::string first = m_inputs.front();
    m_inputs.erase(m_inputs.begin());
    return {first};
}

std::optional<std::string> CliHost::askSave(const common::FileAsk&) {
    if (saveAnswers.empty()) {
        return std::nullopt;
    }
    std::string first = saveAnswers.front();
    saveAnswers.erase(saveAnswers.begin());
    return first;
}

bool CliHost::askYesNo(std::string_view text, common::Place) {
    if (!m_quiet) {
        std::cout << text << (m_yes ? " yes (--yes)" : " no (give --yes to replace)") << "\n";
    }
    declined = declined || !m_yes;
    return m_yes;
}

void CliHost::show(common::Box box, std::string_view text, common::Place) {
    if (box == common::Box::Error || box == common::Box::Warning) {
        std::cerr << text << "\n";
    } else if (!m_quiet) {
        std::cout << text << "\n";
    }
}

std::optional<std::string> CliHost::askLine(std::string_view caption, std::string_view prompt,
                                            std::string_view initial) {
    if (!lineAnswers.empty()) {
        std::string first = lineAnswers.front();
        lineAnswers.erase(lineAnswers.begin());
        return first;
    }
    if (!askTerminal) {
        return std::nullopt;
    }
    std::cout << caption << ": " << prompt << " [" << initial << "] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return std::nullopt;
    }
    return answer.empty() ? std::string(initial) : answer;
}

common::PackageAnswer CliHost::askPackage(const common::PackageQuestion& question) {
    if (packageAnswer) {
        return packageAnswer(question);
    }
    return common::Host::askPackage(question);
}

void CliHost::addLine(std::string_view text) {
    if (!m_quiet) {
        std::cout << text << "\n";
    }
}

void CliHost::warn(std::string_view text) {
    std::cerr << text << "\n";
}

}  // namespace padloom::cli
