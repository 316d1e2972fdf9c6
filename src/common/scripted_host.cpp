#include "common/scripted_host.h"

namespace padloom::common {

namespace {
const char* boxName(Box box) {
    switch (box) {
        case Box::Info:
            return "info";
        case Box::Plain:
            return "plain";
        case Box::Error:
            return "error";
        case Box::Warning:
            return "warning";
    }
    return "?";
}
}  // namespace

std::vector<std::string> ScriptedHost::askOpen(const FileAsk& ask) {
    transcript.push_back("open|" + std::to_string(ask.filter) + "|" + ask.title);
    if (openAnswers.empty()) {
        return {};
    }
    auto answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedHost::askSave(const FileAsk& ask) {
    transcript.push_back("save|" + std::to_string(ask.filter) + "|" + ask.title);
    if (saveAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

bool ScriptedHost::askYesNo(std::string_view text, Place) {
    transcript.push_back("yesno|" + std::string(text));
    if (yesNoAnswers.empty()) {
        return false;
    }
    bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

void ScriptedHost::show(Box box, std::string_view text, Place) {
    transcript.push_back(std::string(boxName(box)) + "|" + std::string(text));
}

std::optional<std::string> ScriptedHost::askLine(std::string_view caption, std::string_view prompt,
                                                 std::string_view initial) {
    transcript.push_back("line|" + std::string(caption) + "|" + std::string(prompt) + "|" +
                         std::string(initial));
    if (lineAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = lineAnswers.front();
    lineAnswers.pop_front();
    return answer;
}

void ScriptedHost::addLine(std::string_view text) {
    transcript.push_back("memo|" + std::string(text));
    lines.emplace_back(text);
}

void ScriptedHost::warn(std::string_view text) {
    transcript.push_back("warn|" + std::string(text));
    lines.emplace_back(text);
}

void ScriptedHost::setStatus(std::string_view text) {
    transcript.push_back("status|" + std::string(text));
}

void ScriptedHost::setProgress(int) {
}

void ScriptedHost::beep() {
    transcript.emplace_back("beep");
    ++beeps;
}

PackageAnswer ScriptedHost::askPackage(const PackageQuestion& question) {
    transcript.push_back("package|" + question.question + "|" + question.text);
    if (packageAnswers.empty()) {
        return {PackageAction::Stop, question.text};
    }
    PackageAnswer answer = packageAnswers.front();
    packageAnswers.pop_front();
    if (answer.text.empty()) {
        answer.text = question.text;
    }
    return answer;
}

void ScriptedHost::openInViewer(const std::string& path) {
    transcript.push_back("view|" + path);
    viewed.push_back(path);
}

}  // namespace padloom::common
