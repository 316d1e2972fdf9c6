#include "shell/ui/controls.h"

#include <algorithm>
#include <climits>

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace padloom::ui {

void setTag(QWidget* control, int tag) {
    control->setProperty("tag", tag);
}

int tagOf(const QWidget* control) {
    QVariant v = control->property("tag");
    return v.isValid() ? v.toInt() : 0;
}

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int itemIndex,
                       QWidget* parent)
    : QGroupBox(caption, parent) {
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        m_group.addButton(b, i);
        m_buttons.push_back(b);
        layout->addWidget(b);
    }
    layout->addStretch();
    setItemIndex(itemIndex);
    connect(&m_group, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

int RadioGroup::itemIndex() const {
    return m_group.checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < count()) {
        m_buttons[index]->setChecked(true);
    } else if (QAbstractButton* b = m_group.checkedButton()) {
        m_group.setExclusive(false);
        b->setChecked(false);
        m_group.setExclusive(true);
    }
}

SpinEdit::SpinEdit(int value, std::optional<std::pair<int, int>> range, QWidget* parent)
    : QSpinBox(parent), m_hasRange(range.has_value()) {
    if (range) {
        setRange(range->first, range->second);
    } else {
        setRange(INT_MIN, INT_MAX);
    }
    setValue(value);
}

// A spin edit without a range would ask for room for ten digits; these hold a few.
QSize SpinEdit::sizeHint() const {
    return {std::min(QSpinBox::sizeHint().width(), 90), QSpinBox::sizeHint().height()};
}
QSize SpinEdit::minimumSizeHint() const {
    return {std::min(QSpinBox::minimumSizeHint().width(), 70),
            QSpinBox::minimumSizeHint().height()};
}

int SpinEdit::toolValue() const {
    bool ok = false;
    int v = lineEdit()->text().trimmed().toInt(&ok);
    if (!ok) {
        return m_hasRange ? minimum() : 0;
    }
    return v;
}

QCheckBox* plotCheckBox(QWidget* parent, const char* name, int tag, bool enabled) {
    QString caption;
    bool ticked = false;
    for (const auto& b : shell::plotCheckBoxes()) {
        if (b.tag == tag) {
            caption =
                QString::fromLatin1(b.caption.data(), static_cast<qsizetype>(b.caption.size()));
            ticked = b.ticked;
        }
    }
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(ticked);
    box->setEnabled(enabled);
    setTag(box, tag);
    return box;
}

void tickExclusive(bool& guard, QCheckBox* clicked, QCheckBox* other) {
    if (guard) {
        return;
    }
    guard = true;
    clicked->setChecked(true);
    other->setChecked(false);
    guard = false;
}

std::vector<QWidget*> taggedControls(QWidget* window) {
    std::vector<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (tagOf(w) != 0 && (qobject_cast<QCheckBox*>(w) || qobject_cast<SpinEdit*>(w) ||
                              qobject_cast<RadioGroup*>(w))) {
            controls.push_back(w);
        }
    }
    return controls;
}

shell::WindowState collectState(QWidget* window, const std::vector<QWidget*>& controls) {
    shell::WindowState state;
    for (QWidget* w : controls) {
        shell::ControlState c;
        c.tag = tagOf(w);
        if (auto* box = qobject_cast<QCheckBox*>(w)) {
            c.kind = shell::ControlKind::CheckBox;
            c.value = box->isChecked() ? 1 : 0;
        } else if (auto* spin = qobject_cast<SpinEdit*>(w)) {
            c.kind = shell::ControlKind::SpinEdit;
            c.value = spin->toolValue();
            if (spin->hasRange()) {
                c.minimum = spin->minimum();
                c.maximum = spin->maximum();
            }
        } else if (auto* group = qobject_cast<RadioGroup*>(w)) {
            c.kind = shell::ControlKind::RadioGroup;
            c.value = group->itemIndex();
            c.minimum = 0;
            c.maximum = group->count() - 1;
        }
        state.controls.push_back(c);
    }
    state.x = window->x();
    state.y = window->y();
    return state;
}

void applyState(QWidget* window, const std::vector<QWidget*>& controls,
                const shell::WindowState& state) {
    for (size_t i = 0; i < controls.size() && i < state.controls.size(); ++i) {
        QWidget* w = controls[i];
        int v = state.controls[i].value;
        if (auto* box = qobject_cast<QCheckBox*>(w)) {
            box->setChecked(v != 0);
        } else if (auto* spin = qobject_cast<SpinEdit*>(w)) {
            spin->setValue(v);
        } else if (auto* group = qobject_cast<RadioGroup*>(w)) {
            group->setItemIndex(v);
        }
    }
    placeWindow(window, state.x, state.y);
}

int titleBarWidth(const QString& title) {
    // the title bar's face is the window manager's; a bold one of the program's size is
    // about as wide, and the icon, three buttons and the margins take about 130 pixels
    QFont font = QApplication::font();
    font.setBold(true);
    constexpr int kIconAndButtons = 130;
    return QFontMetrics(font).horizontalAdvance(title) + kIconAndButtons;
}

void keepTitleVisible(QWidget* window) {
    const int wanted = titleBarWidth(window->windowTitle());
    if (window->minimumWidth() < wanted) {
        window->setMinimumWidth(wanted);
    }
}

void reserveTitleWidth(QWidget* dialog) {
    QLayout* layout = dialog->layout();
    if (!layout) {
        keepTitleVisible(dialog);
        return;
    }
    const QMargins margins = layout->contentsMargins();
    auto* strut =
        new QSpacerItem(titleBarWidth(dialog->windowTitle()) - margins.left() - margins.right(), 0,
                        QSizePolicy::Minimum, QSizePolicy::Minimum);
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        grid->addItem(strut, grid->rowCount(), 0, 1, grid->columnCount());
    } else {
        layout->addItem(strut);
    }
}

void placeWindow(QWidget* window, int x, int y) {
    // A window that takes its size from its layout only as it is shown would then be placed
    // with its client area, not its frame, at the point; it would creep up and left by its
    // title bar and border at every start. Sized now, its frame goes where it was.
    if (!window->testAttribute(Qt::WA_Resized)) {
        window->adjustSize();
    }
    window->move(x, y);
}

}  // namespace padloom::ui
