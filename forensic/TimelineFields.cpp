#include "forensic/TimelineFields.h"

#include <charconv>

#include "model/PreciseTime.h"

namespace tallowmark {

void AppendDecimal(std::string& out, std::int64_t value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out.append(digits.data(), end);
}

void AppendUnsigned(std::string& out, std::uint64_t value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out.append(digits.data(), end);
}

void AppendHex(std::string& out, std::uint64_t value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16).ptr;
    out += "0x";
    for (const char* p = digits.data(); p != end; ++p) out += static_cast<char>(*p >= 'a' ? *p - 'a' + 'A' : *p);
}

void AppendFlags(std::string& out, std::uint32_t flags) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "0x";
    for (int shift = 28; shift >= 0; shift -= 4) out += kHex[flags >> shift & 0xF];
}

bool AppendTimelineTime(std::string& out, const TimelineTime& time, bool localTime) {
    switch (time.form) {
        case TimelineTime::Form::Absent: return false;
        case TimelineTime::Form::Never: out += "never"; return true;
        case TimelineTime::Form::WallClock:
            return AppendPreciseIsoTime(out, time.time, !time.twoSecond, IsoSuffix::None);
        case TimelineTime::Form::Instant: break;
    }
    return AppendPreciseInstant(out, time.time, !time.twoSecond, localTime);
}

}  // namespace tallowmark
