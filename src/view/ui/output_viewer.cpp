#include "view/ui/output_viewer.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QApplication>
#include <QColorDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "annotate/ui/placement_window.h"
#include "board/board_reader.h"
#include "common/base_name.h"
#include "common/errors.h"
#include "common/recording_host.h"
#include "common/text_io.h"
#include "convert/ui/apt_builder_window.h"
#include "nets/netlist_check.h"
#include "nets/nets_report.h"
#include "nets/reference_netlist.h"
#include "plot/ui/gerber_plot_window.h"
#include "shell/ui/help_window.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"
#include "view/job_set_check.h"
#include "view/layer_roles.h"
#include "view/layer_summary.h"
#include "view/ui/board_view.h"

namespace padloom::ui {

namespace {

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(BoardView::boardColour());
    QPainter p(&pixmap);
    p.fillRect(2, 2, 12, 12, colour);
    return QIcon(pixmap);
}

QString layerText(const view::LayerImage& image) {
    std::string role = view::layerRole(image.path).name;
    if (role.empty()) {
        role = image.format == view::FileFormat::Excellon ? "NC drill" : "Layer";
    }
    QString text = fromBytes(role) + "  -  " + fromBytes(common::fileNameOf(image.path));
    if (!image.fileFunction.empty()) {
        text += "  [" + fromBytes(image.fileFunction) + "]";  // what the file says it is
    }
    if (image.hasErrors()) {
        text += "  (errors)";
    }
    return text;
}

// Whether a board holds a netlist: NETDEF blocks, as a board saved with its netlist has.
bool boardHasNetlist(const std::string& boardPath) {
    nets::NetdefCollector netdef;
    board::BoardReader reader(boardPath);  // can throw
    reader.onlyKinds({});                  // only the lines between the records matter
    reader.onSkippedLine([&](const std::string& line) {
        netdef.line(line);
        return true;
    });
    while (reader.next()) {
    }
    return !netdef.empty();
}

// A problem without its file: "line 4: error: aperture D11 is not defined".
QString problemText(const view::Problem& p) {
    QString text = p.line > 0 ? "line " + QString::number(p.line) + ": " : QString();
    text += p.severity == view::Severity::Error     ? "error: "
            : p.severity == view::Severity::Warning ? "warning: "
                                                    : "note: ";
    return text + fromBytes(p.message);
}

// The problems of the files read, by file: each file's name once, its problems indented
// under it. Files of the same name from different folders are named by their whole path.
QString problemListText(const std::vector<std::pair<std::string, QStringList>>& byFile) {
    QStringList out;
    for (const auto& [path, problems] : byFile) {
        if (problems.isEmpty()) {
            continue;
        }
        const std::string name = common::fileNameOf(path);
        const bool nameTwice = std::count_if(byFile.begin(), byFile.end(), [&](const auto& other) {
                                   return common::fileNameOf(other.first) == name;
                               }) > 1;
        out << fromBytes(nameTwice ? path : name);
        for (const QString& p : problems) {
            out << "    " + p;
        }
    }
    return out.isEmpty() ? QString("No problems found.") : out.join("\n");
}

}  // namespace

OutputViewer::OutputViewer(Shell& shell, QWidget* parent)
    : QDialog(parent),
      m_shell(shell),
      m_openDialog(
          "Gerber and drill files|*.G*;*.TXT;*.XLN;*.DRL;*.gbr;*.gbx;*.xgerber;*.ger;*.drd|"
          "All files|*.*"),
      m_boardDialog("PCB files|*.PCB|All files|*.*"),
      m_netlistDialog("Net lists|*.NET;*.asc|All files|*.*") {
    setObjectName("OutputViewer");
    setWindowTitle("Output viewer");
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    m_openDialog.title = "Open outputs";

    m_openButton = new QPushButton("Open...", this);
    m_openButton->setObjectName("OpenButton");
    m_fitButton = new QPushButton("Fit", this);
    m_fitButton->setObjectName("FitButton");
    m_zoomInButton = new QPushButton("Zoom in", this);
    m_zoomInButton->setObjectName("ZoomInButton");
    m_zoomOutButton = new QPushButton("Zoom out", this);
    m_zoomOutButton->setObjectName("ZoomOutButton");
    for (QPushButton* b : {m_openButton, m_fitButton, m_zoomInButton, m_zoomOutButton}) {
        b->setAutoDefault(false);
    }
    m_cursor = new QLabel(this);
    m_cursor->setObjectName("CursorLabel");
    m_cursor->setMinimumWidth(360);
    auto* bar = new QHBoxLayout;
    bar->addWidget(m_openButton);
    bar->addWidget(m_fitButton);
    bar->addWidget(m_zoomInButton);
    bar->addWidget(m_zoomOutButton);
    bar->addStretch();
    m_netLabel = new QLabel(this);
    m_netLabel->setObjectName("NetLabel");
    bar->addWidget(m_netLabel);
    bar->addWidget(m_cursor);

    m_layerList = new QListWidget(this);
    m_layerList->setObjectName("LayerList");
    m_layerList->setToolTip("Untick a layer to hide it; double-click it to change its colour.");
    m_problems = new QPlainTextEdit(this);
    m_problems->setObjectName("ProblemList");
    m_problems->setReadOnly(true);
    m_problems->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_differences = new QListWidget(this);
    m_differences->setObjectName("DifferenceList");
    m_differences->setToolTip(
        "Differences between the copper and the netlist: select one to go to it. Click a pad "
        "on the board to see its net.");
    m_differences->hide();
    auto* side = new QSplitter(Qt::Vertical, this);
    side->addWidget(m_layerList);
    side->addWidget(m_differences);
    side->addWidget(m_problems);
    side->setStretchFactor(0, 3);
    side->setStretchFactor(1, 2);
    side->setStretchFactor(2, 1);

    m_view = new BoardView(this);
    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->addWidget(side);
    m_split->addWidget(m_view);
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);
    m_split->setSizes({280, 720});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_split, 1);
    resize(1100, 720);

    connect(m_openButton, &QPushButton::clicked, this, &OutputViewer::onOpenClicked);
    connect(m_fitButton, &QPushButton::clicked, m_view, &BoardView::fit);
    connect(m_zoomInButton, &QPushButton::clicked, this, [this] {
        m_view->zoomAt(1.25, QPointF(m_view->width() / 2.0, m_view->height() / 2.0));
    });
    connect(m_zoomOutButton, &QPushButton::clicked, this, [this] {
        m_view->zoomAt(0.8, QPointF(m_view->width() / 2.0, m_view->height() / 2.0));
    });
    connect(m_layerList, &QListWidget::itemChanged, this, &OutputViewer::onLayerChanged);
    connect(m_layerList, &QListWidget::itemDoubleClicked, this,
            &OutputViewer::onLayerDoubleClicked);
    connect(m_view, &BoardView::cursorMoved, this, &OutputViewer::onCursorMoved);
    connect(m_view, &BoardView::cursorLeft, m_cursor, &QLabel::clear);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setObjectName("HelpShortcut");
    connect(f1, &QShortcut::activated, this, [this] { m_shell.showHelp(kHelpViewer); });
    connect(m_view, &BoardView::clicked, this, [this](double x, double y) {
        if (m_check || !m_netsBoard.empty()) {
            highlightNetAt(x, y);
        }
    });
    connect(m_differences, &QListWidget::currentRowChanged, this,
            &OutputViewer::onDifferenceSelected);
}

OutputViewer::~OutputViewer() = default;

void OutputViewer::openFiles(const std::vector<std::string>& paths) {
    std::vector<view::LayerImage> images;
    std::vector<std::pair<std::string, QStringList>> problems;  // by file, in the order given
    auto open = [&](const std::string& path) {
        problems.emplace_back(path, QStringList());
        try {
            view::LayerImage image = view::readLayerFile(path);  // can throw
            for (const auto& p : image.problems) {
                problems.back().second << problemText(p);
            }
            return image;
        } catch (const common::IoError& e) {
            // the file is named above its problems: its message without the path
            std::string what = e.what();
            if (!e.path().empty() && what.starts_with(e.path() + ": ")) {
                what.erase(0, e.path().size() + 2);
            }
            problems.back().second << fromBytes(what);
            return view::LayerImage{};
        }
    };
    for (const std::string& path : paths) {
        view::LayerImage image = open(path);
        if (image.format == view::FileFormat::GerberJob) {
            // a job file stands for the set it lists
            const size_t jobEntry = problems.size() - 1;
            const std::vector<std::string> set = view::jobSetPaths(image);
            std::vector<view::LayerImage> layers(set.size());
            for (size_t i = 0; i < set.size(); ++i) {
                if (common::fileExists(set[i])) {
                    layers[i] = open(set[i]);
                }
            }
            // files of the set that another run left
            std::vector<const view::LayerImage*> listed;
            for (const view::LayerImage& layer : layers) {
                listed.push_back(layer.format != view::FileFormat::Unknown ? &layer : nullptr);
            }
            for (const view::Problem& p : view::staleSetProblems(image, listed)) {
                problems[jobEntry].second << problemText(p);
            }
            for (view::LayerImage& layer : layers) {
                if (layer.format != view::FileFormat::Unknown) {
                    images.push_back(std::move(layer));
                }
            }
        } else if (image.format != view::FileFormat::Unknown) {
            images.push_back(std::move(image));
        }
    }
    if (images.empty() && !paths.empty() && m_view->layerCount() > 0) {
        // nothing of what was chosen could be opened: the set shown stays, and the list says why
        m_problems->setPlainText(problemListText(problems) +
                                 "\nNothing opened; the files shown before stay.");
        return;
    }
    // files opened on their own have no check to show, nor a board's nets
    m_check.reset();
    m_netsBoard.clear();
    m_boardNets.reset();
    m_findings.clear();
    m_differences->clear();
    m_differences->hide();
    clearNetHighlight();
    m_view->setMarks({});
    m_view->setLayers(std::move(images));
    fillLayerList();
    m_problems->setPlainText(problemListText(problems));
}

bool OutputViewer::chooseFiles() {
    // open where the last tool left off
    const QString last = m_shell.placementWindow->openDialog().lastChosen();
    if (!last.isEmpty()) {
        m_openDialog.initialDir = QFileInfo(last).absolutePath();
    }
    HostBinding binding;
    binding.window = this;
    binding.openDialog = &m_openDialog;
    auto host = m_shell.makeHost(binding);
    common::FileAsk ask;
    ask.filter = 1;
    ask.title = "Open outputs";
    ask.multiple = true;
    std::vector<std::string> paths = host->askOpen(ask);
    if (paths.empty()) {
        return false;
    }
    m_shell.guarded(this, [&] { openFiles(paths); });
    return true;
}

bool OutputViewer::chooseNetlistCheck() {
    HostBinding binding;
    binding.window = this;
    binding.openDialog = &m_boardDialog;
    common::FileAsk ask;
    ask.filter = 1;
    ask.title = "Check against netlist: the board";
    const std::vector<std::string> boards = m_shell.makeHost(binding)->askOpen(ask);
    if (boards.empty()) {
        return false;
    }
    std::optional<bool> inside;  // none when the board could not be read (the box said why)
    m_shell.guarded(this, [&] { inside = boardHasNetlist(boards.front()); });  // can throw
    if (!inside) {
        return false;
    }

    // which netlist, asked outright: the board's own, a file, or none at all
    QMessageBox choice(QMessageBox::Question, "Check against netlist",
                       "Check the copper of " + fromBytes(common::fileNameOf(boards.front())) +
                           " against which netlist?",
                       QMessageBox::NoButton, this);
    choice.setObjectName("NetlistChoice");
    QPushButton* useInside =
        choice.addButton("Use the netlist inside the board", QMessageBox::AcceptRole);
    useInside->setObjectName("UseBoardNetlistButton");
    QPushButton* chooseFile = choice.addButton("Choose a netlist file...", QMessageBox::ActionRole);
    chooseFile->setObjectName("ChooseNetlistFileButton");
    choice.addButton(QMessageBox::Cancel)->setObjectName("CancelButton");
    if (*inside) {
        choice.setInformativeText("The board holds a netlist (NETDEF blocks), saved with it.");
        choice.setDefaultButton(useInside);
    } else {
        choice.setInformativeText("The board has no netlist inside it: choose a netlist file.");
        useInside->setEnabled(false);
        choice.setDefaultButton(chooseFile);
    }
    m_shell.showModal(choice);
    std::string netlist;
    if (choice.clickedButton() == chooseFile) {
        binding.openDialog = &m_netlistDialog;
        ask.title = "Check against netlist: the netlist file";
        const std::vector<std::string> netlists = m_shell.makeHost(binding)->askOpen(ask);
        if (netlists.empty()) {
            return false;
        }
        netlist = netlists.front();
    } else if (choice.clickedButton() != useInside || !*inside) {
        return false;
    }
    QTemporaryDir folder;
    bool done = false;
    m_shell.guarded(this, [&] {
        // the plot into the scratch folder reports nothing of its own here
        common::RecordingHost quiet;
        nets::NetlistCheck check = nets::checkAgainstNetlist(
            quiet, boards.front(), netlist, m_shell.gerberPlotWindow->plotOptions(),
            m_shell.aptBuilderWindow->enlargements(),
            toPath(folder.path()));          // can throw
        showNetlistCheck(std::move(check));  // can throw
        done = true;
    });
    return done;
}

void OutputViewer::showNetlistCheck(nets::NetlistCheck check) {
    openFiles(check.files);  // can throw
    // nothing of an earlier check stays marked, even when its files could not be replaced
    m_findings.clear();
    clearNetHighlight();
    m_check = std::make_unique<nets::NetlistCheck>(std::move(check));
    const nets::BoardNets& found = m_check->nets;
    const nets::NetDifferences& diff = m_check->differences;
    auto join = [](const std::vector<std::string>& items) {
        QStringList list;
        for (const std::string& item : items) {
            list << fromBytes(item);
        }
        return list.join(", ");
    };
    for (const nets::Open& open : diff.opens) {
        m_findings.push_back({"Open: " + fromBytes(open.net) + " on " +
                                  QString::number(open.islands.size()) + " copper islands",
                              open.at, QColor(255, 160, 0)});
    }
    for (const nets::Short& s : diff.shorts) {
        m_findings.push_back({"Short: " + join(s.nets), {s.at}, QColor(255, 40, 40)});
    }
    for (const nets::TextShort& t : diff.textShorts) {
        m_findings.push_back(
            {"Possible short: text \"" + fromBytes(t.text) + "\" across " + join(t.nets),
             {t.at},
             QColor(255, 0, 255)});
    }
    for (const std::string& pin : diff.extra) {
        Finding f{"Not in the netlist: " + fromBytes(pin), {}, QColor(255, 255, 0)};
        for (const nets::PadInfo& pad : found.copper.pads) {
            if (pad.pin == pin) {
                f.at.emplace_back(pad.x, pad.y);
            }
        }
        m_findings.push_back(std::move(f));
    }
    for (const std::string& pin : diff.missing) {
        m_findings.push_back({"Not on the board: " + fromBytes(pin), {}, QColor()});
    }
    m_differences->clear();
    for (const Finding& f : m_findings) {
        m_differences->addItem(f.text);
    }
    if (m_findings.empty()) {
        m_differences->addItem("No differences.");
    }
    m_differences->show();
    // the check's count first, its details, then what reading the copper and the plotted
    // files met
    QStringList details = fromBytes(nets::differencesText(diff)).split('\n', Qt::SkipEmptyParts);
    const QString count = details.isEmpty() ? QString() : details.takeLast();
    QString text = "The copper of " + fromBytes(m_check->board) + " against " +
                   fromBytes(found.reference->source) + ": " + count + "\n" + details.join('\n');
    for (const std::string& warning : found.copper.warnings) {
        text += "\n" + fromBytes(warning);
    }
    const QString read = m_problems->toPlainText();
    text += "\n\nThe plotted files: " + (read == "No problems found." ? read : "\n" + read);
    m_problems->setPlainText(text);
    updateMarks();
}

void OutputViewer::onDifferenceSelected(int row) {
    m_selected = row;
    if (row >= 0 && row < static_cast<int>(m_findings.size()) && !m_findings[row].at.empty()) {
        const auto& at = m_findings[row].at;
        int x0 = at[0].first, x1 = x0, y0 = at[0].second, y1 = y0;
        for (const auto& [x, y] : at) {
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
        // the places of the finding, with room round them
        const double span = std::max(std::max(x1 - x0, y1 - y0) * 1.5, 300.0) / 1000;
        m_view->showAround((x0 + x1) / 2000.0, (y0 + y1) / 2000.0, span);
    }
    updateMarks();
}

void OutputViewer::setNetsBoard(const std::string& boardPath, const nets::CopperOptions& copper) {
    m_netsBoard = boardPath;
    m_netsCopper = copper;
    m_netsCopper.keepDrawn = true;
    m_boardNets.reset();
    clearNetHighlight();
    updateMarks();
}

void OutputViewer::clearNetHighlight() {
    m_highlighted = -1;
    m_selected = -1;
    m_netLabel->clear();
}

const nets::BoardNets* OutputViewer::clickableNets() {
    if (m_check) {
        return &m_check->nets;
    }
    if (!m_boardNets && !m_netsBoard.empty()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_shell.guarded(this, [&] {
            m_boardNets = std::make_unique<nets::BoardNets>(
                nets::findNets(m_netsBoard, {m_netsCopper, ""}));  // can throw
        });
        QApplication::restoreOverrideCursor();
        if (!m_boardNets) {
            m_netsBoard.clear();  // said once; the board is not traced again
        }
    }
    return m_boardNets.get();
}

bool OutputViewer::highlightNetAt(double x, double y) {
    m_highlighted = -1;
    m_netLabel->clear();
    if (const nets::BoardNets* found = clickableNets()) {
        const nets::Copper& copper = found->copper;
        const double px = x * 1000, py = y * 1000;
        for (const nets::PadInfo& pad : copper.pads) {
            const double dx = std::abs(px - pad.x), dy = std::abs(py - pad.y);
            const bool rectangular = pad.shape == 2 || pad.shape == 4;
            const bool hit = rectangular ? dx <= pad.xSize / 2.0 && dy <= pad.ySize / 2.0
                                         : std::hypot(dx, dy) <= pad.xSize / 2.0;
            if (!hit) {
                continue;
            }
            m_highlighted = pad.island;
            const nets::Island& island = copper.islands[static_cast<size_t>(pad.island)];
            const std::string& name = found->names[static_cast<size_t>(pad.island)];
            m_netLabel->setText((name.empty()
                                     ? "Pad " + fromBytes(pad.pin) + ": joined to no other pad"
                                     : "Net " + fromBytes(name) + ": " +
                                           QString::number(island.pads.size()) + " pins") +
                                "   ");
            break;
        }
    }
    updateMarks();
    return m_highlighted >= 0;
}

namespace {

// The outline of a track, an arc or a fill of copper, in board inches: the line or the arc
// widened by its width with round ends, the fill's rectangle.
QPainterPath copperOutline(const nets::DrawnCopper& d) {
    constexpr double kInch = 1000;
    QPainterPath centre;
    if (d.kind == nets::DrawnCopper::Kind::Fill) {
        centre.addRect(
            QRectF(QPointF(d.x1 / kInch, d.y1 / kInch), QPointF(d.x2 / kInch, d.y2 / kInch))
                .normalized());
        return centre;
    }
    if (d.kind == nets::DrawnCopper::Kind::Track) {
        centre.moveTo(d.x1 / kInch, d.y1 / kInch);
        centre.lineTo(d.x2 / kInch, d.y2 / kInch);
    } else {
        // each quarter drawn, from its start angle counter-clockwise: 1 upper right, 2 upper
        // left, 4 lower left, 8 lower right
        const double r = (d.radius == 0 ? 1 : std::abs(d.radius)) / kInch;
        constexpr int kSteps = 16;
        for (int q = 0; q < 4; ++q) {
            if (!(d.quadrants & (1 << q))) {
                continue;
            }
            for (int i = 0; i <= kSteps; ++i) {
                const double a = (q + double(i) / kSteps) * M_PI / 2;
                const QPointF p(d.x1 / kInch + r * std::cos(a), d.y1 / kInch + r * std::sin(a));
                if (i == 0) {
                    centre.moveTo(p);
                } else {
                    centre.lineTo(p);
                }
            }
        }
    }
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(d.width, 1) / kInch);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centre);
}

}  // namespace

void OutputViewer::updateMarks() {
    std::vector<BoardMark> marks;
    const nets::BoardNets* shown = m_check ? &m_check->nets : m_boardNets.get();
    if (shown && m_highlighted >= 0) {
        const nets::Copper& copper = shown->copper;
        const QColor colour(0, 230, 255);
        BoardMark drawn{0, 0, 0, 0, false, colour, {}};
        for (const nets::DrawnCopper& d : copper.drawn) {
            if (d.island == m_highlighted) {
                drawn.outline.addPath(copperOutline(d));
            }
        }
        if (!drawn.outline.isEmpty()) {
            marks.push_back(std::move(drawn));
        }
        for (int p : copper.islands[static_cast<size_t>(m_highlighted)].pads) {
            const nets::PadInfo& pad = copper.pads[static_cast<size_t>(p)];
            const bool round = pad.shape != 2 && pad.shape != 4;
            BoardMark outline{
                pad.x / 1000.0, pad.y / 1000.0, pad.xSize / 1000.0, 0, round, colour, {}};
            outline.height = (round ? pad.xSize : pad.ySize) / 1000.0;
            marks.push_back(std::move(outline));
        }
    }
    auto mark = [&](const Finding& f, const QColor& colour) {
        for (const auto& [x, y] : f.at) {
            marks.push_back(BoardMark{x / 1000.0, y / 1000.0, 0, 0, true, colour, {}});
        }
    };
    for (size_t i = 0; i < m_findings.size(); ++i) {
        if (static_cast<int>(i) != m_selected) {
            mark(m_findings[i], m_findings[i].colour);
        }
    }
    // the selected finding in white, over the others
    if (m_selected >= 0 && m_selected < static_cast<int>(m_findings.size())) {
        mark(m_findings[static_cast<size_t>(m_selected)], Qt::white);
    }
    m_view->setMarks(std::move(marks));
}

void OutputViewer::onOpenClicked() {
    chooseFiles();
}

void OutputViewer::fillLayerList() {
    m_filling = true;
    m_layerList->clear();
    // topmost layer first, as the stack is seen from above
    for (size_t i = m_view->layerCount(); i-- > 0;) {
        auto* item = new QListWidgetItem(layerText(m_view->layerImage(i)), m_layerList);
        item->setData(Qt::UserRole, static_cast<qulonglong>(i));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(m_view->layerVisible(i) ? Qt::Checked : Qt::Unchecked);
        item->setIcon(swatch(m_view->layerColour(i)));
        item->setToolTip(fromBytes(view::describeLayer(m_view->layerImage(i))));
    }
    m_filling = false;
    // wide enough for the longest layer name, but never more than two fifths of the window
    const int wanted = m_layerList->sizeHintForColumn(0) + 2 * m_layerList->frameWidth() +
                       m_layerList->verticalScrollBar()->sizeHint().width();
    const int side = std::clamp(wanted, 280, std::max(280, width() * 2 / 5));
    m_split->setSizes({side, std::max(1, width() - side)});
}

void OutputViewer::onLayerChanged(QListWidgetItem* item) {
    if (m_filling) {
        return;
    }
    size_t i = item->data(Qt::UserRole).toULongLong();
    m_view->setLayerVisible(i, item->checkState() == Qt::Checked);
}

void OutputViewer::onLayerDoubleClicked(QListWidgetItem* item) {
    size_t i = item->data(Qt::UserRole).toULongLong();
    QColor colour = QColorDialog::getColor(m_view->layerColour(i), this, "Layer colour",
                                           QColorDialog::ShowAlphaChannel);
    if (colour.isValid()) {
        m_view->setLayerColour(i, colour);
        m_filling = true;
        item->setIcon(swatch(colour));
        m_filling = false;
    }
}

void OutputViewer::onCursorMoved(double x, double y) {
    auto number = [](double v, int decimals) { return QString::number(v, 'f', decimals); };
    m_cursor->setText("X " + number(x * 1000, 1) + " mil   Y " + number(y * 1000, 1) +
                      " mil      X " + number(x * 25.4, 3) + " mm   Y " + number(y * 25.4, 3) +
                      " mm");
}

}  // namespace padloom::ui
