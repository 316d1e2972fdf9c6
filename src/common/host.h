#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace padloom::common {

/// Kind of message box.
enum class Box { Info, Plain, Error, Warning };
/// Where a box or question is placed.
enum class Place { Screen, WindowPlus50, WindowCentre };

/// A file dialog request. `filter` is the 1-based filter index of the dialog's filter list.
struct FileAsk {
    int filter = 1;
    std::string title;
    bool multiple = false;
    std::string fileName;  // proposed file name (save dialogs)
};

/// The package choice question of the netlist library tool: which library component a
/// netlist footprint takes. `text` is what the dialog's choice box shows first.
struct PackageQuestion {
    std::string question;  // " Choose package for U1: DIP14"
    std::string designator;
    std::string footprint;
    std::span<const std::string> choices;  // "FILE.LIB@NAME", sorted
    std::string text;
};

/// How the package choice dialog was left: OK (or Enter), Stop (or its close box), Skip;
/// `text` is what its choice box held then.
enum class PackageAction { Accept, Stop, Skip };
struct PackageAnswer {
    PackageAction action = PackageAction::Stop;
    std::string text;
};

/// Everything a tool may ask of its surroundings: dialogs, boxes, the message list, progress,
/// the beep and a text viewer. The desktop program, the command line and the tests each
/// provide one.
class Host {
public:
    virtual ~Host() = default;
    virtual std::vector<std::string> askOpen(const FileAsk& ask) = 0;  // empty = cancelled
    virtual std::optional<std::string> askSave(const FileAsk& ask) = 0;
    virtual bool askYesNo(std::string_view text, Place place) = 0;
    virtual void show(Box box, std::string_view text, Place place) = 0;
    virtual std::optional<std::string> askLine(std::string_view caption, std::string_view prompt,
                                               std::string_view initial) = 0;
    virtual void addLine(std::string_view text) = 0;  // the window's message list
    /// A problem with an input that the run goes on past (a file that does not quite look like
    /// its format): the message list, and standard error on the command line.
    virtual void warn(std::string_view text) { addLine(text); }
    virtual void setStatus(std::string_view text) = 0;  // a status label
    virtual void setProgress(int percent) = 0;          // -1 hides the bar
    virtual void letMessagesRun() = 0;                  // event pump; nothing headless
    virtual void beep() = 0;
    virtual void openInViewer(const std::string& path) = 0;  // the user's text viewer
    /// Asks the package choice question; a host that cannot ask stops the run.
    virtual PackageAnswer askPackage(const PackageQuestion& question) {
        return {PackageAction::Stop, question.text};
    }
};

}  // namespace padloom::common
