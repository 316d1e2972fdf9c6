#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace padloom::ui {

/// What work running on a thread of its own sees of the window waiting for it: whether the user
/// cancelled, and where to say how far it has got. Safe to use from that thread.
class BackgroundProgress {
public:
    virtual ~BackgroundProgress() = default;
    virtual bool cancelled() const = 0;
    /// `done` of `total` steps, and what is being done now.
    virtual void report(long long done, long long total, const QString& text) = 0;
};

/// Runs `work` on a thread of its own and waits for it with the events running: a progress
/// dialog over `parent` shows how far it has got once it takes more than a moment, and its
/// Cancel returns at once with false. The work then runs on until it next looks at
/// cancelled(), so it must keep everything it touches (share it, do not borrow it). An
/// exception the work throws is thrown again here.
bool runWithProgress(QWidget* parent, const QString& title,
                     std::function<void(BackgroundProgress&)> work);

}  // namespace padloom::ui
