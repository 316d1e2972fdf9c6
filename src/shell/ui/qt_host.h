#pragma once

#include <functional>

#include "common/host.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QWidget;
class QString;

namespace padloom::ui {

class FileDialog;

/// What a tool's Host is bound to: its window and, where the window has them, the message
/// list, a status label, a progress bar and its file dialogs.
struct HostBinding {
    QWidget* window = nullptr;
    QPlainTextEdit* memo = nullptr;
    QLabel* status = nullptr;
    QProgressBar* progress = nullptr;
    FileDialog* openDialog = nullptr;
    FileDialog* saveDialog = nullptr;
    /// The package choice dialog of the netlist library tool.
    std::function<common::PackageAnswer(const common::PackageQuestion&)> askPackage = {};
};

/// Texts from files are 8-bit; they are shown as Latin-1.
QString fromBytes(std::string_view text);
/// A chosen path as the file layer takes it.
std::string toPath(const QString& path);

/// The desktop program's Host: Qt message boxes and dialogs, the window's memo, label and
/// progress bar, the system beep and the user's viewer for text files.
class QtHost : public common::Host {
public:
    explicit QtHost(const HostBinding& binding) : m_b(binding) {}

    std::vector<std::string> askOpen(const common::FileAsk& ask) override;
    std::optional<std::string> askSave(const common::FileAsk& ask) override;
    bool askYesNo(std::string_view text, common::Place place) override;
    void show(common::Box box, std::string_view text, common::Place place) override;
    std::optional<std::string> askLine(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override;
    void addLine(std::string_view text) override;
    void warn(std::string_view text) override;
    void setStatus(std::string_view text) override;
    void setProgress(int percent) override;
    void letMessagesRun() override;
    void beep() override;
    void openInViewer(const std::string& path) override;
    common::PackageAnswer askPackage(const common::PackageQuestion& question) override;

private:
    HostBinding m_b;
};

/// Shows a message box placed as asked: at the window's left + 50, top + 50, centred on the
/// window, or centred on the screen.
void showMessageBox(QWidget* window, common::Box box, const QString& text, common::Place place);

}  // namespace padloom::ui
