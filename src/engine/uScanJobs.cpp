#include "uScanJobs.h"

#include <limits>
#include <unistd.h>

namespace quorvex {

namespace {

constexpr std::uint64_t UsersMask = 0xFFFFFFFFu;

int FdOf(std::uint64_t handle) {
    return int(handle >> 32) - 1;
}

} // namespace

// ---- TJobStack --------------------------------------------------------------------------

void TJobStack::Push(const std::vector<TScanJob*>& jobs) {
    if (jobs.empty())
        return;
    std::unique_lock lock(FLock);
    // Reversed, so the first sub-folder listed is read first.
    FJobs.insert(FJobs.end(), jobs.rbegin(), jobs.rend());
    const bool wake = FSleeping > 0;
    lock.unlock();
    if (wake && jobs.size() == 1)
        FWork.notify_one();
    else if (wake)
        FWork.notify_all();
}

TScanJob* TJobStack::Pop() {
    std::unique_lock lock(FLock);
    while (FJobs.empty() && !FDone && !FStopped) {
        ++FSleeping;
        FWork.wait(lock);
        --FSleeping;
    }
    if (FDone || FStopped)
        return nullptr;
    TScanJob* job = FJobs.back();
    FJobs.pop_back();
    return job;
}

bool TJobStack::WaitDone(std::chrono::milliseconds timeout) {
    std::unique_lock lock(FLock);
    // A stop ends the wait too: after a failing thread nothing will ever finish the scan.
    return FFinished.wait_for(lock, timeout, [this] { return FDone || FStopped; });
}

std::size_t TJobStack::Waiting() {
    const std::lock_guard lock(FLock);
    return FJobs.size();
}

std::vector<TScanJob*> TJobStack::TakeLeft() {
    const std::lock_guard lock(FLock);
    return std::move(FJobs);
}

void TJobStack::Signal(bool& flag) {
    {
        const std::lock_guard lock(FLock);
        flag = true;
    }
    FWork.notify_all();
    FFinished.notify_all();
}

// ---- TFolderHandles ---------------------------------------------------------------------

void TFolderHandles::CloseAll() {
    const std::lock_guard lock(FLock);
    for (TScanJob* job : FKept)
        if (const int fd = FdOf(job->Handle.exchange(0, std::memory_order_relaxed)); fd >= 0)
            close(fd);
    FKept.clear();
}

void TFolderHandles::Keep(TScanJob& job, int fd) {
    {
        const std::lock_guard lock(FLock);
        const bool has = FdOf(job.Handle.load(std::memory_order_relaxed)) >= 0;
        if (!has && (FKept.size() < FBudget || !job.Parent || EvictShallowerThan(job.Depth))) {
            job.Slot = FKept.size();
            FKept.push_back(&job);
            job.Handle.store(std::uint64_t(fd + 1) << 32, std::memory_order_release);
            return;
        }
    }
    close(fd);
}

bool TFolderHandles::EvictShallowerThan(std::uint32_t depth) {
    TScanJob* victim = nullptr;
    for (TScanJob* job : FKept)
        if (job->Parent && job->Depth < depth && (!victim || job->Depth < victim->Depth) &&
            (job->Handle.load(std::memory_order_relaxed) & UsersMask) == 0)
            victim = job;
    if (!victim)
        return false;
    std::uint64_t handle = victim->Handle.load(std::memory_order_relaxed);
    // Lost to a thread that has just borrowed it: keep it, it is in use.
    if ((handle & UsersMask) != 0 ||
        !victim->Handle.compare_exchange_strong(handle, 0, std::memory_order_acq_rel))
        return false;
    Forget(*victim);
    close(FdOf(handle));
    return true;
}

bool TFolderHandles::Release() {
    const std::lock_guard lock(FLock);
    return EvictShallowerThan(std::numeric_limits<std::uint32_t>::max());
}

void TFolderHandles::Forget(TScanJob& job) {
    TScanJob* last = FKept.back();
    FKept[job.Slot] = last;
    last->Slot = job.Slot;
    FKept.pop_back();
}

int TFolderHandles::Borrow(TScanJob& job) {
    std::uint64_t handle = job.Handle.load(std::memory_order_acquire);
    while (FdOf(handle) >= 0)
        if (job.Handle.compare_exchange_weak(handle, handle + 1, std::memory_order_acquire))
            return FdOf(handle);
    return -1;
}

bool TFolderHandles::TryPin(TScanJob& job) {
    std::uint32_t pins = job.Pins.load(std::memory_order_relaxed);
    while (pins > 0)
        if (job.Pins.compare_exchange_weak(pins, pins + 1, std::memory_order_acquire,
                                           std::memory_order_relaxed))
            return true;
    return false;
}

void TFolderHandles::Unpin(TScanJob& job) {
    if (job.Pins.fetch_sub(1, std::memory_order_acq_rel) != 1)
        return;
    // Nobody else holds a pin now, so nobody installs one meanwhile.
    if (job.Handle.load(std::memory_order_acquire) == 0)
        return;
    int fd = -1;
    {
        const std::lock_guard lock(FLock);
        fd = FdOf(job.Handle.exchange(0, std::memory_order_acq_rel));
        if (fd >= 0)
            Forget(job);
    }
    if (fd >= 0)
        close(fd);
}

} // namespace quorvex
