#pragma once

#include <string>
#include <vector>

#include "common/host.h"

namespace padloom::common {

/// A host for a tool run on a thread of its own: it keeps what the run tells the user (the
/// message list, warnings, beeps, status and progress, boxes) and hands it on, in the order it
/// came, to the real host with replay(), on the thread that owns that host. It cannot ask: the
/// open and save dialogs are cancelled, questions answered no, and text viewers not opened.
class RecordingHost : public Host {
public:
    std::vector<std::string> askOpen(const FileAsk&) override { return {}; }
    std::optional<std::string> askSave(const FileAsk&) override { return std::nullopt; }
    bool askYesNo(std::string_view, Place) override { return false; }
    void show(Box box, std::string_view text, Place place) override {
        record(Kind::Show, text, box, place);
    }
    std::optional<std::string> askLine(std::string_view, std::string_view,
                                       std::string_view) override {
        return std::nullopt;
    }
    void addLine(std::string_view text) override { record(Kind::Line, text); }
    void warn(std::string_view text) override { record(Kind::Warn, text); }
    void setStatus(std::string_view text) override { record(Kind::Status, text); }
    void setProgress(int percent) override {
        record(Kind::Progress, {}, Box::Info, Place::Screen, percent);
    }
    void letMessagesRun() override {}
    void beep() override { record(Kind::Beep, {}); }
    void openInViewer(const std::string&) override {}

    /// Hands everything kept so far to `host`, in order, and forgets it.
    void replay(Host& host);

private:
    enum class Kind { Line, Warn, Show, Status, Progress, Beep };
    struct Event {
        Kind kind;
        std::string text;
        Box box = Box::Info;
        Place place = Place::Screen;
        int percent = 0;
    };
    void record(Kind kind, std::string_view text, Box box = Box::Info, Place place = Place::Screen,
                int percent = 0) {
        m_events.push_back(Event{kind, std::string(text), box, place, percent});
    }

    std::vector<Event> m_events;
};

}  // namespace padloom::common
