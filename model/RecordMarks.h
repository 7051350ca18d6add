#pragma once
// What the walk learns of a record beside its bytes, kept in one byte per record: its
// status in the allocation bitmap, whether a hash entry points at it, whether its claim
// was cut short where another record begins, and the kind of entry its URL text names.

#include <cstdint>
#include <string_view>

#include "model/EntryKind.h"

namespace tallowmark {

enum class RecordStatus : std::uint8_t { Unknown, Live, Deleted };

class RecordMarks {
public:
    constexpr RecordMarks() = default;
    constexpr RecordMarks(RecordStatus status, bool hashed, bool partial)
        : m_bits(static_cast<std::uint8_t>(static_cast<unsigned>(status) | (hashed ? kHashed : 0u) |
                                           (partial ? kPartial : 0u))) {}

    RecordStatus Status() const { return static_cast<RecordStatus>(m_bits & kStatusMask); }
    bool Hashed() const { return m_bits & kHashed; }
    bool Partial() const { return m_bits & kPartial; }
    EntryKind Kind() const { return static_cast<EntryKind>(m_bits >> kKindShift); }
    void SetKind(EntryKind kind) {
        m_bits = static_cast<std::uint8_t>((m_bits & ~kKindMask) | static_cast<unsigned>(kind) << kKindShift);
    }
    bool operator==(const RecordMarks&) const = default;
    // The one byte they are kept in, and back.
    std::uint8_t Bits() const { return m_bits; }
    static RecordMarks FromBits(std::uint8_t bits) {
        RecordMarks marks;
        marks.m_bits = bits;
        return marks;
    }

private:
    static constexpr unsigned kStatusMask = 0x03, kHashed = 0x04, kPartial = 0x08, kKindShift = 4, kKindMask = 0xF0;
    static_assert(kEntryKindCount <= 16);
    std::uint8_t m_bits = 0;
};

// "live", "deleted", "unknown", as the timeline and info write them.
std::string_view StatusName(RecordStatus status);

}  // namespace tallowmark
