#include "uScanRunner.h"

#include "uWaitForm.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace quorvex {

namespace {

// Shared between the scanning thread (writes) and the user-interface thread (reads).
class TSharedProgress : public IScanObserver {
public:
    void ScanProgress(const TScanProgress& progress) override {
        const std::lock_guard lock(FMutex);
        FLast = progress;
    }
    bool ScanCancelRequested() override { return FCancel.load(std::memory_order_relaxed); }

    void Cancel() { FCancel = true; }
    TScanProgress Last() {
        const std::lock_guard lock(FMutex);
        return FLast;
    }

private:
    std::mutex FMutex;
    TScanProgress FLast;
    std::atomic<bool> FCancel{false};
};

void ShowProgress(TWaitForm* wait, TSharedProgress& shared) {
    const TScanProgress p = shared.Last();
    wait->SetProgress(p.Entries, p.Bytes,
                      QString::fromUtf8(p.CurrentFolder.data(), qsizetype(p.CurrentFolder.size())));
}

} // namespace

void RunScanInBackground(const std::function<void(IScanObserver&)>& scan, TWaitForm* wait) {
    TSharedProgress shared;
    std::exception_ptr failure;
    QEventLoop loop;
    QTimer ticker;
    QMetaObject::Connection cancel;
    if (wait) {
        wait->SetCancellable(true);
        cancel = QObject::connect(wait, &TWaitForm::CancelRequested, [&] { shared.Cancel(); });
        QObject::connect(&ticker, &QTimer::timeout, [&] { ShowProgress(wait, shared); });
        ticker.start(100);
    }
    std::thread worker([&] {
        try {
            scan(shared);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Input to other windows is blocked by the caller (the wait window is modal meanwhile).
    loop.exec();
    worker.join();
    ticker.stop();
    if (wait) {
        QObject::disconnect(cancel);
        ShowProgress(wait, shared);
        wait->SetCancellable(false);
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace quorvex
