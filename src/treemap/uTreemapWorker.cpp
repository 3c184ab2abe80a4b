#include "uTreemapWorker.h"

#include "uTreemapGrowth.h"

#include <stdexcept>

namespace quorvex {

TTreemapWorker::TTreemapWorker(QObject* parent) : QObject(parent), FThread([this] { Run(); }) {}

TTreemapWorker::~TTreemapWorker() {
    {
        const std::lock_guard lock(FMutex);
        FQuit = true;
        FWaiting.reset();
        FCancel = true;
    }
    FWake.notify_all();
    FThread.join();
}

std::uint64_t TTreemapWorker::Request(TTreemapRequest request) {
    std::uint64_t generation;
    {
        const std::lock_guard lock(FMutex);
        generation = ++FGeneration;
        FWaiting = std::move(request);
        FWaitingGeneration = generation;
        FCancel = true; // the running one, if any; the thread clears it when it takes ours
    }
    FWake.notify_all();
    return generation;
}

void TTreemapWorker::Stop() {
    std::unique_lock lock(FMutex);
    FWaiting.reset();
    // A picture already on its way carries an older generation and is dropped on arrival.
    FDelivered = ++FGeneration;
    FCancel = true;
    FIdle.wait(lock, [this] { return !FRunning; });
}

void TTreemapWorker::Run() {
    std::unique_lock lock(FMutex);
    for (;;) {
        FWake.wait(lock, [this] { return FQuit || FWaiting; });
        if (FQuit)
            return;
        const TTreemapRequest request = std::move(*FWaiting);
        const std::uint64_t generation = FWaitingGeneration;
        FWaiting.reset();
        FCancel = false;
        FRunning = true;
        lock.unlock();
        std::optional<TTreemapPicture> picture = Draw(request, generation);
        lock.lock();
        FRunning = false;
        FIdle.notify_all();
        if (picture && generation == FGeneration)
            Deliver(std::move(*picture));
    }
}

std::optional<TTreemapPicture> TTreemapWorker::Draw(const TTreemapRequest& request,
                                                    std::uint64_t generation) {
    if (!request.Folder)
        return std::nullopt;
    std::optional<TGrowthTint> tint;
    if (request.Growth) {
        tint.emplace(*request.Growth);
        if (!tint->Measure(*request.Folder, &FCancel))
            return std::nullopt;
    }
    auto layout = std::make_shared<TTreemapLayout>();
    try {
        if (!layout->Build(*request.Folder, request.Width, request.Height,
                           tint ? tint->ColourOf() : request.ColourOf, &FCancel))
            return std::nullopt;
    } catch (const std::invalid_argument&) { // a size out of range draws nothing
        return std::nullopt;
    }
    QImage image = TTreemapRender::Render(*layout, request.Style, &FCancel);
    if (image.isNull())
        return std::nullopt;
    return TTreemapPicture{generation, std::move(layout), std::move(image)};
}

// Runs on the worker thread with the mutex held; the generation is checked again on the
// owner's thread, since a Request() or Stop() may come before the event is handled.
void TTreemapWorker::Deliver(TTreemapPicture picture) {
    QMetaObject::invokeMethod(
        this,
        [this, picture = std::move(picture)] {
            {
                const std::lock_guard lock(FMutex);
                if (picture.Generation != FGeneration)
                    return;
            }
            FDelivered = picture.Generation;
            emit Finished(picture); // unlocked: a slot may well call Request()
        },
        Qt::QueuedConnection);
}

} // namespace quorvex
