#include "view/ui/background_work.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

namespace padloom::ui {

namespace {

// Work this short is waited for without a dialog.
constexpr std::chrono::milliseconds kMoment{200};
constexpr int kPollMs = 50;

class SharedProgress : public BackgroundProgress {
public:
    bool cancelled() const override { return cancel; }
    void report(long long doneSteps, long long totalSteps, const QString& what) override {
        const std::lock_guard<std::mutex> lock(mutex);
        done = doneSteps;
        total = totalSteps;
        text = what;
    }

    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    std::exception_ptr failure;
    long long done = 0;
    long long total = 0;
    QString text;
};

void runOn(SharedProgress& shared, const std::function<void(BackgroundProgress&)>& work) {
    std::exception_ptr failure;
    try {
        work(shared);
    } catch (...) {
        failure = std::current_exception();
    }
    {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        shared.failure = failure;
        shared.finished = true;
    }
    shared.ended.notify_all();
}

}  // namespace

bool runWithProgress(QWidget* parent, const QString& title,
                     std::function<void(BackgroundProgress&)> work) {
    auto shared = std::make_shared<SharedProgress>();
    try {
        // the thread keeps the work and what it reports to until it ends, which may be after
        // a cancelled wait here has returned
        std::thread([shared, work] { runOn(*shared, work); }).detach();
    } catch (const std::system_error&) {
        runOn(*shared, work);  // no thread to be had: the work is done here
    }
    auto outcome = [&] {
        const std::lock_guard<std::mutex> lock(shared->mutex);
        if (shared->failure) {
            std::rethrow_exception(shared->failure);
        }
        return true;
    };
    {
        std::unique_lock<std::mutex> lock(shared->mutex);
        if (shared->ended.wait_for(lock, kMoment, [&] { return shared->finished; })) {
            lock.unlock();
            return outcome();
        }
    }
    QProgressDialog dialog(title, "Cancel", 0, 0, parent);
    dialog.setObjectName("ProgressDialog");
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QEventLoop loop;
    bool cancelled = false;
    auto cancel = [&] {
        cancelled = true;
        shared->cancel = true;
        loop.quit();
    };
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, cancel);
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (dialog.wasCanceled()) {  // Escape, or cancelled by a program
            cancel();
            return;
        }
        const std::lock_guard<std::mutex> lock(shared->mutex);
        if (shared->finished) {
            loop.quit();
            return;
        }
        if (shared->total > 0) {
            dialog.setMaximum(1000);
            dialog.setValue(static_cast<int>(1000 * shared->done / shared->total));
        }
        dialog.setLabelText(shared->text);
    });
    poll.start();
    dialog.show();
    loop.exec();
    return cancelled ? false : outcome();
}

}  // namespace padloom::ui
