// The timeline formats, in the order the usage lists them; the first is the default.
// A new format is its class in a file of its own and one line here.
#include "forensic/BodyFileTimeline.h"
#include "forensic/CsvTimeline.h"
#include "forensic/JsonLinesTimeline.h"
#include "forensic/TimesketchTimeline.h"

#include <array>

namespace tallowmark {

namespace {
constinit const JsonLinesTimeline kJsonLines;
constinit const BodyFileTimeline kBodyFile;
constinit const CsvTimeline kCsv;
constinit const TimesketchTimeline kTimesketch;

constexpr auto kFormats = std::to_array<const TimelineFormat*>({&kJsonLines, &kBodyFile, &kCsv, &kTimesketch});
}  // namespace

std::span<const TimelineFormat* const> TimelineFormats() { return kFormats; }

const TimelineFormat& DefaultTimelineFormat() { return *kFormats.front(); }

const TimelineFormat* TimelineFormatNamed(std::string_view name) {
    for (const TimelineFormat* format : kFormats)
        if (format->Name() == name) return format;
    return nullptr;
}

}  // namespace tallowmark
