#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QSpinBox>
#include <QStringList>

#include "shell/settings_store.h"

namespace padloom::ui {

/// Sets a control's numeric tag, the number its window's settings name its value by.
void setTag(QWidget* control, int tag);
/// The control's tag; 0 when it has none.
int tagOf(const QWidget* control);

/// A titled group of radio buttons with one selected item, addressed by item index.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int itemIndex,
               QWidget* parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);  // -1 selects nothing
    int count() const { return static_cast<int>(m_buttons.size()); }
    QAbstractButton* button(int index) const { return m_buttons.at(index); }

signals:
    /// The user picked an item.
    void clicked(int index);

private:
    QButtonGroup m_group;
    std::vector<QAbstractButton*> m_buttons;
};

/// A spin edit. One without a range takes any integer. Its value as the tools read it: the
/// text as an integer, or the minimum (0 without a range) when the text is not an integer.
class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(int value, std::optional<std::pair<int, int>> range = std::nullopt,
                      QWidget* parent = nullptr);
    bool hasRange() const { return m_hasRange; }
    int toolValue() const;
    /// The text field, where a user may leave a text that is not an integer.
    QLineEdit* edit() const { return lineEdit(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    bool m_hasRange;
};

/// A check box of the plot windows with the caption, default and tag of its tag.
QCheckBox* plotCheckBox(QWidget* parent, const char* name, int tag, bool enabled = true);

/// Ticks `clicked` and unticks `other` whatever the click did; `guard` makes the handler
/// ignore the toggles its own changes cause.
void tickExclusive(bool& guard, QCheckBox* clicked, QCheckBox* other);

/// The tagged check boxes, spin edits and radio groups of a window, in creation order.
std::vector<QWidget*> taggedControls(QWidget* window);
/// The settings view of a window: its tagged controls and its position.
shell::WindowState collectState(QWidget* window, const std::vector<QWidget*>& controls);
/// Sets the controls and the position from a settings view made by collectState.
void applyState(QWidget* window, const std::vector<QWidget*>& controls,
                const shell::WindowState& state);
/// How wide a window must be for the window system to show its whole title: the title in a
/// bold face, the window icon and the title bar's buttons.
int titleBarWidth(const QString& title);
/// Makes a window at least as wide as its title bar needs.
void keepTitleVisible(QWidget* window);
/// The same for a dialog whose layout fixes its size (a message box, the one-line input
/// dialog): a strut as wide as the title bar needs is added to the layout.
void reserveTitleWidth(QWidget* dialog);

/// Puts a window's frame (title bar and border included) at a stored position, as its left
/// and top were read when it was saved.
void placeWindow(QWidget* window, int x, int y);

}  // namespace padloom::ui
