#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace padloom::ui {

/// A file dialog as a window carries it: its filter list ("description|pattern|..."), the
/// 1-based filter index, title, proposed name, starting folder and default extension. Every
/// execution starts in the folder of the last file chosen in it, so the shared open dialog
/// remembers the folder any tool used last.
class FileDialog {
public:
    enum class Mode { Open, Save };
    explicit FileDialog(QString filter = {}, Mode mode = Mode::Open);
    virtual ~FileDialog() = default;

    QString filter;
    int filterIndex = 1;
    QString title;
    QString fileName;    // proposed on execution; the first chosen file afterwards
    QString initialDir;  // starting folder
    QString defaultExt;  // without the dot; empty adds nothing
    bool multiple = false;
    QStringList files;  // every chosen file after a confirmed execution

    /// The file last confirmed in this dialog during this run; empty until one is.
    const QString& lastChosen() const { return m_lastChosen; }
    Mode mode() const { return m_mode; }

    /// Runs the dialog; true when the user confirmed a file.
    virtual bool execute(QWidget* parent);

    /// Qt name filters for a filter list: "PCB files|*.pcb" gives "PCB files (*.pcb)".
    static QStringList nameFilters(const QString& filter);

protected:
    bool showSidebar = true;

private:
    Mode m_mode;
    QString m_lastChosen;
};

/// An open dialog that may hide its places bar, the column of shortcut folders at its left
/// edge (`showPlacesBar` false).
class PlacesOpenDialog : public FileDialog {
public:
    explicit PlacesOpenDialog(QString filter = {}, Mode mode = Mode::Open)
        : FileDialog(std::move(filter), mode) {}
    bool showPlacesBar = true;
    bool execute(QWidget* parent) override;
};

/// The same for saving.
class PlacesSaveDialog : public PlacesOpenDialog {
public:
    explicit PlacesSaveDialog(QString filter = {})
        : PlacesOpenDialog(std::move(filter), Mode::Save) {}
};

}  // namespace padloom::ui
