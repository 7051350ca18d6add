#include "presentation/CsvExport.h"

#include <ostream>

#include "model/LocalTimeRules.h"
#include "model/TallowmarkDoc.h"
#include "platform/OutputFile.h"
#include "presentation/RecordCells.h"
#include "presentation/RecordFilter.h"

namespace tallowmark {

namespace {
// A text between double quotes; a quote inside it is doubled so the line stays valid CSV.
void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos; text.remove_prefix(quote + 1)) {
        out.append(text.data(), quote + 1);
        out += '"';
    }
    out.append(text);
    out += '"';
}

void AppendQuotedTime(std::string& out, TimeValue value) {
    out += '"';
    AppendFormattedTime(out, value, SHORT_TIME_FORMAT);
    out += '"';
}
}  // namespace

void AppendCsvLine(std::string& out, const IndexRecord& record, bool isVersion4) {
    out += std::to_string(record.RecordNumber());
    out += ',';
    AppendQuoted(out, record.TypeName());
    out += ',';
    AppendQuoted(out, record.UrlText());
    out += ',';
    out += SizeText(record.Size());
    // Fields 5 to 8 are the row's cells 4 to 7: filled for "URL" records only.
    if (!record.IsType(kTypeUrl)) {
        out += R"(,"","","","")" "\r\n";
        return;
    }
    const auto& url = static_cast<const UrlRecord&>(record);
    out += ',';
    AppendQuotedTime(out, url.ModifiedTime());
    out += ',';
    AppendQuotedTime(out, url.AccessedTime());
    out += ',';
    AppendQuoted(out, isVersion4 ? std::string_view() : url.CacheDirText());
    out += ',';
    AppendQuoted(out, isVersion4 ? std::string_view() : url.FileNameText());
    out += "\r\n";
}

namespace {
template <class Keep>
void WriteCsvLines(std::ostream& out, const TallowmarkDoc& document, Keep keep) {
    const LocalTimeBatch sameZoneThroughout;
    constexpr std::size_t kChunk = 1 << 20;
    const bool isVersion4 = document.IsVersion4();
    std::string buffer = kCsvHeaderLine;
    buffer.reserve(kChunk + 4096);
    for (const auto& record : document.Records()) {
        if (!keep(*record)) continue;
        AppendCsvLine(buffer, *record, isVersion4);
        if (buffer.size() >= kChunk) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

template <class Write>
Outcome ExportTo(const std::string& path, Write write) {
    platform::OpenedOutput output = platform::OpenForWriting(path);
    if (!output.file) return Outcome::Failure(FormatMessage(kMsgCannotWriteExport, path));
    {
        platform::StdioStreamBuf buffer(output.file.get());
        std::ostream out(&buffer);
        write(out);
    }
    if (platform::CloseWritten(std::move(output.file)) != platform::WriteError::None)
        return Outcome::Failure(FormatMessage(kMsgExportWriteFailed, path));
    return Outcome::Success();
}
}  // namespace

void TallowmarkDoc::WriteCsv(std::ostream& out, bool viewBlankRecords, bool viewBadfoodRecords) const {
    WriteCsvLines(out, *this, [&](const IndexRecord& record) {
        return IsShown(record, viewBlankRecords, viewBadfoodRecords);
    });
}

Outcome TallowmarkDoc::ExportCsv(const std::string& path, bool viewBlankRecords, bool viewBadfoodRecords) const {
    return ExportTo(path, [&](std::ostream& out) { WriteCsv(out, viewBlankRecords, viewBadfoodRecords); });
}

void WriteFilteredCsv(std::ostream& out, const TallowmarkDoc& document, bool viewBlankRecords,
                      bool viewBadfoodRecords, const RecordFilter& filter) {
    const bool isVersion4 = document.IsVersion4();
    WriteCsvLines(out, document, [&](const IndexRecord& record) {
        return IsShown(record, viewBlankRecords, viewBadfoodRecords) && filter.Matches(record, isVersion4);
    });
}

Outcome ExportFilteredCsv(const TallowmarkDoc& document, const std::string& path, bool viewBlankRecords,
                          bool viewBadfoodRecords, const RecordFilter& filter) {
    return ExportTo(path, [&](std::ostream& out) {
        WriteFilteredCsv(out, document, viewBlankRecords, viewBadfoodRecords, filter);
    });
}

}  // namespace tallowmark
