#include "view/ui/output_viewer.h"

#include <algorithm>

#include <QColorDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include "annotate/ui/placement_window.h"
#include "common/base_name.h"
#include "common/errors.h"
#include "shell/ui/help_window.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"
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
          "All files|*.*") {
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
    bar->addWidget(m_cursor);

    m_layerList = new QListWidget(this);
    m_layerList->setObjectName("LayerList");
    m_layerList->setToolTip("Untick a layer to hide it; double-click it to change its colour.");
    m_problems = new QPlainTextEdit(this);
    m_problems->setObjectName("ProblemList");
    m_problems->setReadOnly(true);
    m_problems->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* side = new QSplitter(Qt::Vertical, this);
    side->addWidget(m_layerList);
    side->addWidget(m_problems);
    side->setStretchFactor(0, 3);
    side->setStretchFactor(1, 1);

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
}

void OutputViewer::openFiles(const std::vector<std::string>& paths) {
    std::vector<view::LayerImage> images;
    std::vector<std::pair<std::string, QStringList>> problems;  // by file, in the order given
    for (const std::string& path : paths) {
        problems.emplace_back(path, QStringList());
        try {
            images.push_back(view::readLayerFile(path));  // can throw
            for (const auto& p : images.back().problems) {
                problems.back().second << problemText(p);
            }
        } catch (const common::IoError& e) {
            // the file is named above its problems: its message without the path
            std::string what = e.what();
            if (!e.path().empty() && what.starts_with(e.path() + ": ")) {
                what.erase(0, e.path().size() + 2);
            }
            problems.back().second << fromBytes(what);
        }
    }
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
