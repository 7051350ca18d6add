#pragma once
// Runs independent pieces of work on several threads and hands their results on in the
// order the pieces were taken, so that a batch uses every core and its output reads as
// if the pieces had run one after another.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace tallowmark {

// take() gives the next job, or nullopt when there are no more; it is called by one
// thread at a time, in order. work(job) runs on `threads` threads; deliver(result) runs
// on the calling thread in the order the jobs were taken. Only a few results wait at a
// time, so memory stays bounded however many jobs there are. With one thread, everything
// runs on the caller.
template <class Result, class Take, class Work, class Deliver>
void RunInOrder(unsigned threads, Take take, Work work, Deliver deliver) {
    if (threads <= 1) {
        while (auto job = take()) deliver(work(std::move(*job)));
        return;
    }
    const std::size_t ahead = 2 * static_cast<std::size_t>(threads);
    std::mutex lock;
    std::condition_variable resultReady, roomFreed;
    std::vector<std::optional<Result>> waiting(ahead);  // result i sits at i % ahead
    std::size_t taken = 0, delivered = 0;
    bool exhausted = false;

    auto worker = [&] {
        for (;;) {
            std::size_t piece;
            decltype(take()) job;
            {
                std::unique_lock<std::mutex> guard(lock);
                roomFreed.wait(guard, [&] { return exhausted || taken < delivered + ahead; });
                if (exhausted) return;
                job = take();
                if (!job) {
                    exhausted = true;
                    resultReady.notify_all();
                    roomFreed.notify_all();
                    return;
                }
                piece = taken++;
            }
            Result result = work(std::move(*job));
            {
                std::lock_guard<std::mutex> guard(lock);
                waiting[piece % ahead].emplace(std::move(result));
            }
            resultReady.notify_all();
        }
    };
    std::vector<std::jthread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);

    for (;;) {
        std::optional<Result> result;
        {
            std::unique_lock<std::mutex> guard(lock);
            resultReady.wait(
                guard, [&] { return waiting[delivered % ahead].has_value() || (exhausted && delivered == taken); });
            if (!waiting[delivered % ahead]) break;
            result.swap(waiting[delivered % ahead]);
        }
        deliver(std::move(*result));
        {
            std::lock_guard<std::mutex> guard(lock);
            ++delivered;
        }
        roomFreed.notify_all();
    }
}

// The same for jobs whose output comes in parts, however much of it one job makes:
// work(job, handOn) runs on `threads` threads and calls handOn(Part) as often as it
// likes before it returns its Result; deliverPart(Part) and deliverResult(Result) run on
// the calling thread, with every part of job 0 and then its result, then those of job 1,
// and so on. A job keeps at most `partsWaiting` parts undelivered: handOn waits for room
// beyond that, so at most about 2 × threads × partsWaiting parts exist at once. The job
// being delivered always goes on, so nothing waits for ever. Work must not throw.
template <class Part, class Result, class Work, class DeliverPart, class DeliverResult>
void RunInOrderInParts(std::size_t count, unsigned threads, std::size_t partsWaiting, Work work,
                       DeliverPart deliverPart, DeliverResult deliverResult) {
    if (threads <= 1) {
        for (std::size_t job = 0; job < count; ++job)
            deliverResult(work(job, [&](Part&& part) { deliverPart(std::move(part)); }));
        return;
    }
    struct Slot {
        std::deque<Part> parts;
        std::optional<Result> result;
    };
    const std::size_t ahead = 2 * static_cast<std::size_t>(threads);
    std::vector<Slot> slots(ahead);  // job i sits at i % ahead
    std::mutex lock;
    std::condition_variable forDelivery, forWork;
    std::size_t taken = 0, delivered = 0;

    auto worker = [&] {
        for (;;) {
            std::size_t job;
            {
                std::unique_lock<std::mutex> guard(lock);
                forWork.wait(guard, [&] { return taken == count || taken < delivered + ahead; });
                if (taken == count) return;
                job = taken++;
            }
            Slot& slot = slots[job % ahead];
            Result result = work(job, [&](Part&& part) {
                {
                    std::unique_lock<std::mutex> guard(lock);
                    forWork.wait(guard, [&] { return slot.parts.size() < partsWaiting; });
                    slot.parts.push_back(std::move(part));
                }
                forDelivery.notify_one();
            });
            {
                std::lock_guard<std::mutex> guard(lock);
                slot.result.emplace(std::move(result));
            }
            forDelivery.notify_one();
        }
    };
    std::vector<std::jthread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);

    for (std::size_t job = 0; job < count; ++job) {
        Slot& slot = slots[job % ahead];
        for (;;) {
            std::unique_lock<std::mutex> guard(lock);
            forDelivery.wait(guard, [&] { return !slot.parts.empty() || slot.result; });
            if (!slot.parts.empty()) {
                Part part = std::move(slot.parts.front());
                slot.parts.pop_front();
                guard.unlock();
                forWork.notify_all();
                deliverPart(std::move(part));
                continue;
            }
            // The parts came before the result: the job is complete.
            Result result = std::move(*slot.result);
            slot.result.reset();
            ++delivered;
            guard.unlock();
            forWork.notify_all();
            deliverResult(std::move(result));
            break;
        }
    }
}

// Buffers handed back after use, for the next pieces of a batch: a fresh megabyte-sized
// buffer per piece costs the system more in page faults than filling it. Safe on any thread.
template <class Buffer>
class SpareBuffers {
public:
    // A buffer handed back earlier, or a new empty one.
    Buffer Take() {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_spares.empty()) return Buffer();
        Buffer spare = std::move(m_spares.back());
        m_spares.pop_back();
        return spare;
    }
    void GiveBack(Buffer&& buffer) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_spares.push_back(std::move(buffer));
    }

private:
    std::mutex m_lock;
    std::vector<Buffer> m_spares;
};

// The same over the numbers 0 .. count-1.
template <class Result, class Work, class Deliver>
void RunInOrder(std::size_t count, unsigned threads, Work work, Deliver deliver) {
    std::size_t next = 0;
    RunInOrder<Result>(
        threads, [&]() -> std::optional<std::size_t> { return next < count ? std::optional(next++) : std::nullopt; },
        work, deliver);
}

}  // namespace tallowmark
