#include "model/FatTime.h"

#include "model/Format.h"
#include "model/Calendar.h"
#include "model/format/UrlRecordLayout.h"

namespace tallowmark {

namespace {
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
}  // namespace

FatDateTime DecodeFatDateTime(std::uint32_t value) {
    if (value == 0) return {};
    if (value == urlrecord::kFatTimeNever) return {FatDateTime::State::Never, 0};
    const std::uint32_t date = value & 0xFFFF, clock = value >> 16;
    const std::int64_t year = 1980 + (date >> 9);
    const unsigned month = date >> 5 & 0xF, day = date & 0x1F;
    const unsigned hour = clock >> 11, minute = clock >> 5 & 0x3F, second = (clock & 0x1F) * 2;
    if (!IsCivilDate(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return {FatDateTime::State::Invalid, 0};
    const std::int64_t seconds = DaysFromCivil(year, month, day) * kDay + hour * 3600 + minute * 60 + second;
    return {FatDateTime::State::Set, static_cast<FileTime>((seconds + kSecondsFrom1601To1970) * kTicksPerSecond)};
}

}  // namespace tallowmark
