#pragma once
// The temporary files the output service has open, for the implementations of that
// service: every one of them, on any thread, is removed when a signal (Ctrl+C on Windows)
// ends the program. What the handler does here is async-signal-safe: lock-free atomics
// and storage that never moves or goes away.

#include <atomic>
#include <cstddef>

namespace tallowmark::platform {

#ifdef _WIN32
using NativeChar = wchar_t;
inline constexpr std::size_t kLongestNativePath = 32768;
#else
using NativeChar = char;
inline constexpr std::size_t kLongestNativePath = 4096;
#endif

// One temporary file's place. Places are made as more files are open at once than ever
// before, and kept for good, so that a handler may read any of them at any moment.
struct PendingPlace {
    enum State : int { kFree, kClaimed, kArmed, kRemoving };
    std::atomic<int> state{kFree};
    PendingPlace* next = nullptr;  // set before the place is published, never changed after
    NativeChar name[kLongestNativePath];
};

class PendingTemporaries {
public:
    // Takes a place for `name` before the file is made, so that no moment passes with the
    // file there and unknown. Until Arm or Release the file is "being made": a handler
    // waits for it, so the caller keeps signals away from its own thread meanwhile. Null
    // for a name too long, or once the program is ending.
    PendingPlace* Claim(const NativeChar* name, std::size_t length) {
        if (length >= kLongestNativePath) return nullptr;
        PendingPlace* place = TakeFreePlace();
        for (std::size_t i = 0; i < length; ++i) place->name[i] = name[i];
        place->name[length] = NativeChar{};
        if (m_bEnding.load()) {
            place->state.store(PendingPlace::kFree);
            return nullptr;
        }
        return place;
    }
    // A signal is ending the program: no file may be made any more.
    bool Ending() const { return m_bEnding.load(); }
    // The file is there: a signal removes it from now on.
    static void Arm(PendingPlace* place) {
        if (place) place->state.store(PendingPlace::kArmed);
    }
    // The file became the target, was removed or never made: its place is free again,
    // unless a handler is removing the file at this moment.
    static void Release(PendingPlace*& place) {
        if (!place) return;
        int state = place->state.load();
        if (state != PendingPlace::kRemoving) place->state.compare_exchange_strong(state, PendingPlace::kFree);
        place = nullptr;
    }

    // For the handler: `remove(name)` for every file there, after waiting for those being
    // made with `pause()`, at most `pauses` times in all. No place is claimed afterwards.
    template <typename Remove, typename Pause>
    void RemoveAll(Remove remove, Pause pause, int pauses) {
        m_bEnding.store(true);
        for (PendingPlace* place = m_pFirst.load(); place; place = place->next) {
            while (place->state.load() == PendingPlace::kClaimed && pauses-- > 0) pause();
            int armed = PendingPlace::kArmed;
            if (place->state.compare_exchange_strong(armed, PendingPlace::kRemoving)) remove(place->name);
        }
    }

private:
    PendingPlace* TakeFreePlace() {
        for (PendingPlace* place = m_pFirst.load(); place; place = place->next) {
            int free = PendingPlace::kFree;
            if (place->state.compare_exchange_strong(free, PendingPlace::kClaimed)) return place;
        }
        auto* place = new PendingPlace;
        place->state.store(PendingPlace::kClaimed);
        place->next = m_pFirst.load();
        while (!m_pFirst.compare_exchange_weak(place->next, place)) {
        }
        return place;
    }

    std::atomic<PendingPlace*> m_pFirst{nullptr};
    std::atomic<bool> m_bEnding{false};
};

}  // namespace tallowmark::platform
