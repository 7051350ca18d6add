#pragma once
// What each time of a record means for its kind of entry: the one table the details, the
// timeline's formats and the desktop's columns read. The 0x08 time of a daily or weekly
// history entry is the wall-clock time of the machine that wrote the file, not an instant.

#include <array>
#include <cstdint>
#include <string_view>

#include "model/EntryKind.h"
#include "model/TimeText.h"

namespace tallowmark {

// In the order the timeline writes them.
enum class RecordTimeField : std::uint8_t { Modified, Accessed, Expires, LastChecked, CacheFileCreated };
inline constexpr std::array<RecordTimeField, 5> kRecordTimeFields = {
    RecordTimeField::Modified, RecordTimeField::Accessed, RecordTimeField::Expires, RecordTimeField::LastChecked,
    RecordTimeField::CacheFileCreated};

enum class TimeClock : std::uint8_t { Utc, SourceWallClock };

// What happened at a time, whatever the kind and whichever field keeps it: the key by
// which a timeline format names a time in its own terms.
enum class TimeEvent : std::uint8_t {
    Modified,  // the content, on the server for a cached page
    Accessed,
    Visited,
    Expires,
    Checked,           // the cached copy, against the server
    CacheFileCreated,  // the cached copy of the entry was written
    EntryCreated,      // the entry itself, in weekly history
};

struct TimeMeaning {
    std::string_view label;  // "Last visited (local clock of the source machine)"
    TimeClock clock;
    TimeEvent event;
};

const TimeMeaning& MeaningOf(EntryKind kind, RecordTimeField field);

// A time as a record stores it.
struct RecordTime {
    enum class State : std::uint8_t { Absent, Never, Set };
    State state = State::Absent;
    FileTime time = 0;       // when Set: 100-ns ticks since 1601 on the meaning's clock
    bool twoSecond = false;  // a FAT date-time: whole seconds, written without a fraction
};

}  // namespace tallowmark
