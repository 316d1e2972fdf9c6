#pragma once

#include <array>
#include <initializer_list>
#include <vector>

#include "nets/copper.h"
#include "shell/ui/tool_window.h"

class QLayout;
class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace padloom::ui {

/// What the two plot windows (Autotrax and TANGO) share: the "Layers to plot" boxes, the
/// "Include" group, the drill number format and fill mode pairs with their guard flag, the
/// "Gerber X2 attributes" box, the message list and the "Plot" button. Each window adds its
/// own options beside them.
class PlotWindow : public ToolWindow {
    Q_OBJECT
public:
    /// Plot layers run from 1 to this number.
    static constexpr int kLayerCount = 17;

    /// The layer check box of a plot layer (1 to 17); null for any other number.
    QCheckBox* layerBox(int plotLayer) const;
    /// The files the last plot run wrote, which "Preview" shows.
    const std::vector<std::string>& previewFiles() const { return m_previewFiles; }
    void onPreviewClicked();

protected:
    /// Creates the shared controls; the layer boxes whose tags are in `disabledTags` are shown
    /// disabled (layers the window's boards cannot have).
    PlotWindow(Shell& shell, QWidget* parent, const QString& caption, const QString& drillCaption,
               std::initializer_list<int> disabledTags);

    /// Lays the window out: the layer group on the left; on the right `sideTop` (the window's
    /// own options), the "Include" group, `sideMiddle` and the two pairs; the message list and
    /// "Plot" below. Connects the pairs and collects the tagged controls.
    void layOut(QLayout* sideTop, QWidget* sideMiddle, int width, int height);
    /// Keeps the files a run wrote (those of `candidates` that exist) for "Preview".
    void setPreviewFiles(const std::vector<std::string>& candidates);
    /// The Autotrax board those files were plotted from, with the copper options of the plot,
    /// so that a click on a pad in "Preview" shows its net; set after setPreviewFiles.
    void setPreviewBoard(const std::string& board, const nets::CopperOptions& copper);

    QGroupBox* m_layerGroup;                                 // "Layers to plot"
    std::array<QCheckBox*, kLayerCount + 1> m_layerBoxes{};  // by plot layer; [0] unused
    QCheckBox* m_ncDrillBox;
    QCheckBox* m_bomBox;
    QGroupBox* m_includeGroup;  // "Include"
    QCheckBox* m_includeBoardLayerBox;
    QCheckBox* m_includeKeepOutBox;
    QGroupBox* m_drillFormatGroup;  // digits of the drill file coordinates
    QCheckBox* m_drill23Box;        // "2,3"
    QCheckBox* m_drill24Box;        // "2,4"
    QGroupBox* m_fillModeGroup;     // "Fill mode"
    QCheckBox* m_polygonFillBox;    // "G36/G37 polygon"
    QCheckBox* m_flashFillBox;      // "D3 flash"
    QCheckBox* m_x2Box;             // "Gerber X2 attributes": kept by name, not by tag
    QCheckBox* m_noMacrosBox;       // "No aperture macros": kept by name, not by tag
    QPushButton* m_plotButton;
    QPushButton* m_previewButton;  // shows the last run's files in the output viewer
    QVBoxLayout* m_buttonColumn = nullptr;
    QPlainTextEdit* m_messageList;

    std::vector<QWidget*> m_tagged;

private:
    std::vector<std::string> m_previewFiles;
    std::string m_previewBoard;  // "" when the files are not of an Autotrax board
    nets::CopperOptions m_previewCopper;
    bool m_pairGuard = false;  // ignores the toggles the exclusive pairs cause themselves
};

}  // namespace padloom::ui
