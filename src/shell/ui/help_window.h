#pragma once

#include <QDialog>

class QTextBrowser;

namespace padloom::ui {

/// The help contexts: each names the section "context<N>" of the help text. 100, 5000 and
/// 6000 are the contexts the X/Y, RS274D to RS274X and PCB to APT windows have always had.
enum HelpContext : int {
    kHelpContents = 0,
    kHelpPlacement = 100,
    kHelpGerberPlot = 110,
    kHelpMatToApt = 120,
    kHelpDrc = 130,
    kHelpLibrary = 140,
    kHelpPackageChoice = 141,
    kHelpSkippedComponents = 142,
    kHelpXln = 150,
    kHelpTangoPlot = 160,
    kHelpDxf = 170,
    kHelpTextResize = 180,
    kHelpQfn = 190,
    kHelpViewer = 200,
    kHelpRs274x = 5000,
    kHelpAptBuilder = 6000,
};

/// The program's help, shipped inside the program: one section per help context.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent);
    /// Scrolls to the section of a help context; an unknown context shows the contents.
    void showContext(int context);
    int context() const { return m_context; }
    QTextBrowser* browser() const { return m_browser; }
    /// Whether the help text has a section for the context.
    bool hasSection(int context) const;

private:
    QTextBrowser* m_browser;
    int m_context = 0;
};

}  // namespace padloom::ui
