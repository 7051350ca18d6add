#include "forensic/DocumentTimeline.h"

#include "model/LocalTimeRules.h"
#include "model/RecordEvidence.h"
#include "presentation/AnsiText.h"
#include "presentation/CsvExport.h"

namespace tallowmark {

DocumentTimeline WriteDocumentTimeline(std::ostream& out, const TallowmarkDoc& document, const RowList& kept,
                                       const TimelineOptions& options) {
    const LocalTimeBatch sameZoneThroughout;
    out << TimelineHeader(*options.format);
    std::string text;
    const TimelineHandOn handOn = [&out](std::string& piece) {
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        piece.clear();
    };
    TimelineWriter writer(options, TextToUtf8(document.PathName()), text, handOn);
    std::vector<bool> inFileOrder(document.RecordCount());
    for (const std::uint32_t place : kept) inFileOrder[place] = true;
    for (std::size_t place = 0; place < inFileOrder.size(); ++place) {
        if (!inFileOrder[place]) continue;
        const IndexRecord record = document.Record(place);
        writer.Add(record, document.OffsetOf(record));
    }
    handOn(text);
    return {writer.Records(), writer.WallClockTimes()};
}

std::string TimelineExportedText(const DocumentTimeline& written, const std::string& path, CountDigits digits) {
    std::string text = ExportedText(written.records, "record", path, digits);
    if (written.wallClockTimes == 0) return text;
    const std::size_t times = written.wallClockTimes;
    return text + "; " + (digits ? digits(times) : std::to_string(times)) + (times == 1 ? " time" : " times") +
           " left on the source's wall clock, for want of its zone";
}

bool HoldsWallClockTimes(const TallowmarkDoc& document, const RowList& kept) {
    for (const std::uint32_t place : kept) {
        const IndexRecord record = document.Record(place);
        if (!CarriesEvidence(record)) continue;
        const RecordEvidence evidence(record);
        for (const RecordTimeField field : kRecordTimeFields)
            if (evidence.Meaning(field).clock == TimeClock::SourceWallClock &&
                evidence.Time(field).state == RecordTime::State::Set)
                return true;
    }
    return false;
}

}  // namespace tallowmark
