#include "uExportRunner.h"

#include "uWaitForm.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QMetaObject>
#include <QTimer>
#include <exception>
#include <memory>
#include <thread>

namespace quorvex {

namespace {

constexpr int TickMs = 50;

// The wait window in front for the lifetime of the object, modal, with Cancel and the row
// counts.
class TExportWait {
public:
    TExportWait(const QString& message, TExportProgress& progress) : FProgress(progress) {
        if (!WaitForm)
            return;
        WaitForm->setWindowModality(Qt::ApplicationModal); // only while hidden does it apply
        FScope = std::make_unique<TWaitScope>(message);
        WaitForm->SetCancellable(true);
        QObject::connect(WaitForm, &TWaitForm::CancelRequested, &FTicker,
                         [this] { FProgress.Cancel(); });
        QObject::connect(&FTicker, &QTimer::timeout, &FTicker, [this] { Show(); });
        FTicker.start(TickMs);
        Show();
    }
    ~TExportWait() {
        FTicker.stop();
        FScope.reset();
        if (WaitForm)
            WaitForm->setWindowModality(Qt::NonModal);
    }
    TExportWait(const TExportWait&) = delete;
    TExportWait& operator=(const TExportWait&) = delete;

    void Show() {
        if (WaitForm)
            WaitForm->SetRowProgress(quint64(FProgress.Rows()), quint64(FProgress.Total()));
    }

private:
    TExportProgress& FProgress;
    std::unique_ptr<TWaitScope> FScope;
    QTimer FTicker;
};

// Runs `write` on a thread of its own and waits in an event loop; true when it was cancelled.
bool RunOnWorker(const std::function<void(TExportProgress&)>& write, TExportProgress& progress) {
    bool cancelled = false;
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            write(progress);
        } catch (const TExportCancelled&) {
            cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
    return cancelled;
}

} // namespace

bool RunExport(const QString& message, const std::function<void(TExportProgress&)>& write,
               QWidget* owner) {
    TExportProgress progress;
    QString error;
    try {
        const TExportWait wait(message, progress);
        if (RunOnWorker(write, progress))
            return false;
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    if (error.isEmpty())
        return true;
    QMessageBox::critical(owner, QStringLiteral("Quorvex"), error);
    return false;
}

} // namespace quorvex
