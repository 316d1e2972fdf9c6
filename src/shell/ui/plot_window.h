#pragma once

#include <initializer_list>
#include <vector>

#include "shell/ui/tool_window.h"

class QLayout;
class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace padloom::ui {

/// What the two plot windows (Autotrax and TANGO) share: the "Layers to plot" boxes, the
/// "Include" group, the drill number format and fill mode pairs with their guard flag, the
/// message list and the "Plot" button. Each window adds its own options beside them.
class PlotWindow : public ToolWindow {
    Q_OBJECT
public:
    QGroupBox* GroupBox1;  // "Layers to plot"
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QCheckBox* CheckBox6;
    QCheckBox* CheckBox7;
    QCheckBox* CheckBox8;
    QCheckBox* CheckBox9;
    QCheckBox* CheckBox10;
    QCheckBox* CheckBox11;
    QCheckBox* CheckBox12;
    QCheckBox* CheckBox13;
    QCheckBox* CheckBox14;
    QCheckBox* CheckBox18;
    QCheckBox* CheckBox19;
    QCheckBox* CheckBox24;
    QCheckBox* CheckBox17;
    QCheckBox* CheckBox21;
    QGroupBox* GroupBox2;  // "Include"
    QCheckBox* CheckBox15;
    QCheckBox* CheckBox16;
    QGroupBox* GroupBox4;  // the drill file number format
    QCheckBox* CheckBox25;
    QCheckBox* CheckBox26;
    QGroupBox* GroupBox5;  // "Fill mode"
    QCheckBox* CheckBox27;
    QCheckBox* CheckBox28;
    QPushButton* Button1;
    QPlainTextEdit* Memo1;

    void CheckBox25Click();
    void CheckBox26Click();
    void CheckBox27Click();
    void CheckBox28Click();

    /// The layer check box of a plot layer (1 to 17).
    QCheckBox* layerBox(int plotLayer) const;

protected:
    /// Creates the shared controls; the layer boxes whose tags are in `disabledTags` are shown
    /// disabled (layers the window's boards cannot have).
    PlotWindow(Shell& shell, QWidget* parent, const QString& caption, const QString& drillCaption,
               std::initializer_list<int> disabledTags);

    /// Lays the window out: the layer group on the left; on the right `sideTop` (the window's
    /// own options), the "Include" group, `sideMiddle` and the two pairs; the message list and
    /// "Plot" below. Connects the pairs and collects the tagged controls.
    void layOut(QLayout* sideTop, QWidget* sideMiddle, int width, int height);

    std::vector<QWidget*> m_tagged;

private:
    bool m_pairGuard = false;  // ignores the toggles the exclusive pairs cause themselves
};

}  // namespace padloom::ui
