#pragma once
// Runs independent pieces of work on several threads and hands their results on in the
// order of the pieces, so that a batch uses every core and its output reads as if the
// pieces had run one after another.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tallowmark {

// Calls work(i) for i = 0 .. count-1 on `threads` threads and deliver(i, result) on the
// calling thread in order of i. Only a few results wait at a time, so memory stays
// bounded however many pieces there are. With one thread, everything runs on the caller.
template <class Result, class Work, class Deliver>
void RunInOrder(std::size_t count, unsigned threads, Work work, Deliver deliver) {
    if (threads <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) deliver(i, work(i));
        return;
    }
    const std::size_t ahead = 2 * static_cast<std::size_t>(threads);
    std::mutex lock;
    std::condition_variable resultReady, roomFreed;
    std::vector<std::optional<Result>> waiting(ahead);  // result i sits at i % ahead
    std::size_t next = 0, delivered = 0;

    auto worker = [&] {
        for (;;) {
            std::size_t piece;
            {
                std::unique_lock<std::mutex> guard(lock);
                roomFreed.wait(guard, [&] { return next >= count || next < delivered + ahead; });
                if (next >= count) return;
                piece = next++;
            }
            Result result = work(piece);
            {
                std::lock_guard<std::mutex> guard(lock);
                waiting[piece % ahead].emplace(std::move(result));
            }
            resultReady.notify_one();
        }
    };
    std::vector<std::jthread> pool;
    for (unsigned t = 0; t < std::min<std::size_t>(threads, count); ++t) pool.emplace_back(worker);

    while (delivered < count) {
        std::optional<Result> result;
        {
            std::unique_lock<std::mutex> guard(lock);
            resultReady.wait(guard, [&] { return waiting[delivered % ahead].has_value(); });
            result.swap(waiting[delivered % ahead]);
        }
        deliver(delivered, std::move(*result));
        {
            std::lock_guard<std::mutex> guard(lock);
            ++delivered;
        }
        roomFreed.notify_all();
    }
}

}  // namespace tallowmark
