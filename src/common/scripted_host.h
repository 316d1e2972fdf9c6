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

/// Passes every call on to a ScriptedHost kept elsewhere, so that each tool run can be given a
/// Host of its own while one script answers them all. Tests that watch something more (where a
/// box is placed, a package dialog of their own) override the calls they need.
class ForwardingHost : public Host {
public:
    explicit ForwardingHost(ScriptedHost& script) : m_script(script) {}
    std::vector<std::string> askOpen(const FileAsk& ask) override { return m_script.askOpen(ask); }
    std::optional<std::string> askSave(const FileAsk& ask) override {
        return m_script.askSave(ask);
    }
    bool askYesNo(std::string_view text, Place place) override {
        return m_script.askYesNo(text, place);
    }
    void show(Box box, std::string_view text, Place place) override {
        m_script.show(box, text, place);
    }
    std::optional<std::string> askLine(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override {
        return m_script.askLine(caption, prompt, initial);
    }
    void addLine(std::string_view text) override { m_script.addLine(text); }
    void setStatus(std::string_view text) override { m_script.setStatus(text); }
    void setProgress(int percent) override { m_script.setProgress(percent); }
    void letMessagesRun() override {}
    void beep() override { m_script.beep(); }
    void openInViewer(const std::string& path) override { m_script.openInViewer(path); }
    PackageAnswer askPackage(const PackageQuestion& question) override {
        return m_script.askPackage(question);
    }

protected:
    ScriptedHost& m_script;
};

}  // namespace padloom::common
