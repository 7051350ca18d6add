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

// The body file's time columns, a m c b as mactime reads them.
enum class BodyColumn : std::uint8_t { None, Accessed, Modified, Changed, Born };

struct TimeMeaning {
    std::string_view label;  // "Last visited (local clock of the source machine)"
    TimeClock clock;
    BodyColumn bodyColumn;                   // at most one time of a kind has each column
    std::string_view timesketchDescription;  // "Last Visited", …
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
