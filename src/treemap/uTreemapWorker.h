#pragma once

#include "uTreemapLayout.h"
#include "uTreemapRender.h"

#include <QImage>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace quorvex {

class TScanCompare;

/// What to draw: `Folder`'s subtree at Width x Height, painted with `Style`.
struct TTreemapRequest {
    const TDataInfo* Folder = nullptr;
    int Width = 0, Height = 0;
    TTreemapStyle Style;
    TTreemapLayout::TColourOf ColourOf = TTreemapRender::FileColour;
    /// When set, files are coloured by their growth against its base (TGrowthTint) instead
    /// of by ColourOf. Read on the worker's thread like the tree.
    const TScanCompare* Growth = nullptr;
};

/// A finished picture and the layout it was painted from (for hit tests).
struct TTreemapPicture {
    std::uint64_t Generation = 0; ///< the number Request() returned for it
    std::shared_ptr<const TTreemapLayout> Layout;
    QImage Image;
};

/// Lays out and paints treemaps on a thread of its own, one at a time. A newer request
/// cancels the one running and replaces one still waiting, so only the newest request ever
/// reaches Finished().
///
/// Contract: the object lives on one thread (the owner's, normally the user-interface
/// thread); Request() and Stop() are called there, and Finished() is emitted there. The
/// worker reads the tree below the requested folder and the request's comparison, and calls
/// the style's and colour's functions on its own thread, so the owner must call Stop() before
/// anything changes that tree, drops that comparison or changes what those functions read.
class TTreemapWorker : public QObject {
    Q_OBJECT
public:
    explicit TTreemapWorker(QObject* parent = nullptr);
    /// Stops and joins the thread.
    ~TTreemapWorker() override;

    /// Starts drawing `request`, cancelling whatever runs or waits; returns its generation.
    std::uint64_t Request(TTreemapRequest request);
    /// Cancels the running and the waiting request and returns once the thread no longer
    /// reads the tree. A picture finished before the call is not delivered either.
    void Stop();
    /// True from Request() until its picture is delivered or dropped.
    bool Pending() const { return FDelivered != FGeneration; }

signals:
    /// The picture of the newest request, delivered on the owner's thread.
    void Finished(const TTreemapPicture& picture);

private:
    void Run();
    std::optional<TTreemapPicture> Draw(const TTreemapRequest& request, std::uint64_t generation);
    void Deliver(TTreemapPicture picture);

    std::mutex FMutex;
    std::condition_variable FWake, FIdle;
    std::optional<TTreemapRequest> FWaiting;
    std::uint64_t FGeneration = 0;        // of the newest request; guarded by FMutex
    std::uint64_t FWaitingGeneration = 0; // of FWaiting
    std::uint64_t FDelivered = 0;         // owner's thread only
    bool FRunning = false, FQuit = false;
    std::atomic<bool> FCancel{false};
    std::thread FThread; // last: starts once everything above is set up
};

} // namespace quorvex

Q_DECLARE_METATYPE(quorvex::TTreemapPicture)
