#include "presentation/CsvExport.h"

#include <algorithm>
#include <charconv>
#include <ostream>
#include <thread>

#include "model/LocalTimeRules.h"
#include "model/IndexStream.h"
#include "model/TallowmarkDoc.h"
#include "platform/OutputFile.h"
#include "presentation/OrderedWork.h"
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

void AppendDecimal(std::string& out, std::uint64_t value) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendQuotedTime(std::string& out, TimeValue value) {
    out += '"';
    AppendFormattedTime(out, value, SHORT_TIME_FORMAT);
    out += '"';
}
}  // namespace

void AppendCsvLine(std::string& out, const IndexRecord& record, bool isVersion4) {
    AppendDecimal(out, record.RecordNumber());
    out += ',';
    AppendQuoted(out, record.TypeName());
    out += ',';
    AppendQuoted(out, record.UrlText());
    out += ',';
    AppendDecimal(out, record.Size());  // as SizeText writes it
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
// Collects CSV lines and hands them on in pieces of about a megabyte.
class CsvLineWriter {
public:
    CsvLineWriter(std::ostream& out, bool viewBlankRecords, bool viewBadfoodRecords)
        : m_out(out), m_bViewBlankRecords(viewBlankRecords), m_bViewBadfoodRecords(viewBadfoodRecords) {
        m_buffer.reserve(kChunk + 4096);
        m_buffer = kCsvHeaderLine;
    }
    ~CsvLineWriter() { Flush(); }
    CsvLineWriter(const CsvLineWriter&) = delete;
    CsvLineWriter& operator=(const CsvLineWriter&) = delete;

    void Add(const IndexRecord& record, bool isVersion4) {
        if (!IsShown(record, m_bViewBlankRecords, m_bViewBadfoodRecords)) return;
        AppendCsvLine(m_buffer, record, isVersion4);
        if (m_buffer.size() >= kChunk) Flush();
    }

private:
    static constexpr std::size_t kChunk = 1 << 20;
    void Flush() {
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_buffer.clear();
    }

    const LocalTimeBatch m_sameZoneThroughout;
    std::ostream& m_out;
    const bool m_bViewBlankRecords, m_bViewBadfoodRecords;
    std::string m_buffer;
};
}  // namespace

void TallowmarkDoc::WriteCsv(std::ostream& out, bool viewBlankRecords, bool viewBadfoodRecords) const {
    CsvLineWriter writer(out, viewBlankRecords, viewBadfoodRecords);
    const bool isVersion4 = IsVersion4();
    for (const auto& record : m_records) writer.Add(*record, isVersion4);
}

Outcome StreamCsv(IndexStream& stream, std::ostream& out, bool viewBlankRecords, bool viewBadfoodRecords,
                  unsigned threads) {
    out << kCsvHeaderLine;
    const bool isVersion4 = stream.IsVersion4();
    // One zone table for every thread, so that all lines convert alike.
    const auto zone = LocalTimeRules::Current();
    RunInOrder<std::string>(
        threads ? threads : std::max(1u, std::thread::hardware_concurrency()),
        [&] { return stream.NextPiece(); },
        [&](const IndexPiece& piece) {
            const LocalTimeBatch sameZone(zone);
            std::string lines;
            lines.reserve(piece.bytes.size() / 2);
            stream.WalkPiece(piece, [&](const IndexRecord& record, std::uint64_t) {
                if (IsShown(record, viewBlankRecords, viewBadfoodRecords)) AppendCsvLine(lines, record, isVersion4);
            });
            return lines;
        },
        [&](const std::string& lines) { out.write(lines.data(), static_cast<std::streamsize>(lines.size())); });
    return stream.Failure();
}

namespace {
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

Outcome TallowmarkDoc::ExportCsv(const std::string& path, bool viewBlankRecords, bool viewBadfoodRecords) const {
    return ExportTo(path, [&](std::ostream& out) { WriteCsv(out, viewBlankRecords, viewBadfoodRecords); });
}

void WriteFilteredCsv(std::ostream& out, const TallowmarkDoc& document, bool viewBlankRecords,
                      bool viewBadfoodRecords, const RecordFilter& filter) {
    CsvLineWriter writer(out, viewBlankRecords, viewBadfoodRecords);
    const bool isVersion4 = document.IsVersion4();
    for (const auto& record : document.Records())
        if (filter.Matches(*record, isVersion4)) writer.Add(*record, isVersion4);
}

Outcome ExportFilteredCsv(const TallowmarkDoc& document, const std::string& path, bool viewBlankRecords,
                          bool viewBadfoodRecords, const RecordFilter& filter) {
    return ExportTo(path, [&](std::ostream& out) {
        WriteFilteredCsv(out, document, viewBlankRecords, viewBadfoodRecords, filter);
    });
}

}  // namespace tallowmark
