#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "nets/copper.h"
#include "shell/ui/ag_dialogs.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace padloom::nets {
struct BoardNets;
struct NetlistCheck;
}

namespace padloom::ui {

class BoardView;
class Shell;

/// "Output viewer": the fab files of a board (RS274X layers and Excellon drills) stacked in
/// colour as the board house will read them. The layer list shows each file with its colour
/// and a box to hide it (topmost layer first; double-click a layer for another colour); the
/// problems met while reading are listed beneath; the cursor position shows in mils and mm.
class OutputViewer : public QDialog {
    Q_OBJECT
public:
    OutputViewer(Shell& shell, QWidget* parent);
    ~OutputViewer() override;

    /// Reads the files and shows them; a file that cannot be read is listed as a problem.
    void openFiles(const std::vector<std::string>& paths);
    /// Asks for files with the open dialog and shows them; false when the user cancelled.
    bool chooseFiles();

    /// "Check against netlist...": asks for a board, then which netlist to check it against:
    /// the one inside the board (its NETDEF blocks; the question says when it has none) or a
    /// netlist file; checks the copper against it and shows the result. False when the user
    /// cancelled or the check could not run.
    bool chooseNetlistCheck();
    /// Shows a check: the plotted copper, every difference marked on it and listed to step
    /// through, the report beneath; a click on a pad then shows its net.
    void showNetlistCheck(nets::NetlistCheck check);
    /// The board the files shown were plotted from, and the copper options of that plot: a
    /// click on a pad then shows its net as in a check, the board's nets traced when first
    /// wanted. Preview sets it after opening the files of a plot run.
    void setNetsBoard(const std::string& boardPath, const nets::CopperOptions& copper);
    /// The net of the pad at a board point (inches) marked on the picture, its pads, tracks,
    /// arcs and fills outlined; false when no pad of the checked (or previewed) board is there.
    bool highlightNetAt(double x, double y);
    QListWidget* differenceList() const { return m_differences; }
    QLabel* netLabel() const { return m_netLabel; }

    BoardView* boardView() const { return m_view; }
    QListWidget* layerList() const { return m_layerList; }
    QPlainTextEdit* problemList() const { return m_problems; }
    QLabel* cursorLabel() const { return m_cursor; }

    void onOpenClicked();
    void onLayerChanged(QListWidgetItem* item);
    void onLayerDoubleClicked(QListWidgetItem* item);
    void onCursorMoved(double x, double y);
    void onDifferenceSelected(int row);

private:
    // a difference of the check: its line in the list and where it is on the board (mils)
    struct Finding {
        QString text;
        std::vector<std::pair<int, int>> at;
        QColor colour;
    };
    void fillLayerList();
    void updateMarks();
    /// No net shown and no finding selected.
    void clearNetHighlight();
    /// The nets a click shows: the check's, or the previewed board's (traced now if need be);
    /// null when there are none.
    const nets::BoardNets* clickableNets();

    Shell& m_shell;
    FileDialog m_openDialog;
    BoardView* m_view;
    QListWidget* m_layerList;
    QPlainTextEdit* m_problems;
    QSplitter* m_split;  // the layer and problem lists beside the board
    QLabel* m_cursor;
    QPushButton* m_openButton;
    QPushButton* m_fitButton;
    QPushButton* m_zoomInButton;
    QPushButton* m_zoomOutButton;
    bool m_filling = false;      // the list is being filled: its changes are not the user's
    QListWidget* m_differences;  // the check's findings, shown only after a check
    QLabel* m_netLabel;
    FileDialog m_boardDialog;
    FileDialog m_netlistDialog;
    std::unique_ptr<nets::NetlistCheck> m_check;
    std::string m_netsBoard;  // the previewed board, "" when none
    nets::CopperOptions m_netsCopper;
    std::unique_ptr<nets::BoardNets> m_boardNets;  // its nets, once traced
    std::vector<Finding> m_findings;
    int m_selected = -1;
    int m_highlighted = -1;  // the island whose copper is marked
};

}  // namespace padloom::ui
