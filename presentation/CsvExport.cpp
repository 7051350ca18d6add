#include "presentation/CsvExport.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <ostream>
#include <thread>

#include "model/IndexStream.h"
#include "model/LocalTimeRules.h"
#include "presentation/OrderedWork.h"
#include "presentation/PathText.h"

namespace tallowmark {

namespace {
// Writes one line straight into room made for it beforehand: an export writes hundreds of
// thousands of lines, and growing the text field by field costs more than the fields.
class LineWriter {
public:
    explicit LineWriter(char* at) : m_at(at) {}
    char* End() const { return m_at; }

    void Put(std::string_view text) {
        if (text.empty()) return;  // an empty view may hold no pointer at all, which memcpy must not see
        std::memcpy(m_at, text.data(), text.size());
        m_at += text.size();
    }
    // A text between double quotes; a quote inside it is doubled so the line stays valid CSV.
    void PutQuoted(std::string_view text) {
        *m_at++ = '"';
        for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos; text.remove_prefix(quote + 1)) {
            Put(text.substr(0, quote + 1));
            *m_at++ = '"';
        }
        Put(text);
        *m_at++ = '"';
    }
    void PutDecimal(std::uint64_t value) { m_at = std::to_chars(m_at, m_at + kMostDigits, value).ptr; }
    void PutTime(ShortTimeTexts& times, FileTime time) { m_at = times.Write(m_at, time); }

    static constexpr std::size_t kMostDigits = 20;

private:
    char* m_at;
};

// The most a line takes besides its four texts, which may take twice their length quoted:
// two numbers, two times, eight pairs of quotes, seven commas and CR LF.
constexpr std::size_t kMostLineFrame = 2 * LineWriter::kMostDigits + 2 * ShortTimeTexts::kLength + 16 + 7 + 2;
}  // namespace

void AppendCsvLine(std::string& out, const IndexRecord& record, bool isVersion4, ShortTimeTexts& times) {
    // Fields 5 to 8 are the row's cells 4 to 7: filled for "URL" records only.
    const auto url = WithTimeColumns(record);
    const auto cached = WithCacheColumns(record, isVersion4);
    const std::string_view type = record.TypeName(), data = record.UrlText();
    const std::string_view cacheDir = cached ? cached->CacheDirText() : std::string_view();
    const std::string_view fileName = cached ? cached->FileNameText() : std::string_view();

    const std::size_t start = out.size();
    out.resize(start + kMostLineFrame + 2 * (type.size() + data.size() + cacheDir.size() + fileName.size()));
    LineWriter line(out.data() + start);
    line.PutDecimal(record.RecordNumber());
    line.Put(",\"");
    line.Put(type);  // our own names, none with a quote
    line.Put("\",");
    line.PutQuoted(data);
    line.Put(",");
    line.PutDecimal(record.Size());  // as SizeText writes it
    if (url) {
        line.Put(",\"");
        line.PutTime(times, url->ModifiedFileTime());
        line.Put("\",\"");
        line.PutTime(times, url->AccessedFileTime());
        line.Put("\",");
        line.PutQuoted(cacheDir);
        line.Put(",");
        line.PutQuoted(fileName);
        line.Put("\r\n");
    } else {
        line.Put(R"(,"","","","")"
                 "\r\n");
    }
    out.resize(static_cast<std::size_t>(line.End() - out.data()));
}

void AppendCsvLine(std::string& out, const IndexRecord& record, bool isVersion4) {
    ShortTimeTexts times;
    AppendCsvLine(out, record, isVersion4, times);
}

namespace {
// Collects CSV lines and hands them on in pieces of about a megabyte.
class CsvLineWriter {
public:
    CsvLineWriter(std::ostream& out, ViewOptions shown) : m_out(out), m_shown(shown) {
        m_buffer.reserve(kChunk + 4096);
        m_buffer = kCsvHeaderLine;
    }
    ~CsvLineWriter() { Flush(); }
    CsvLineWriter(const CsvLineWriter&) = delete;
    CsvLineWriter& operator=(const CsvLineWriter&) = delete;

    void Add(const IndexRecord& record, bool isVersion4) {
        if (!m_shown.Shows(record)) return;
        AppendCsvLine(m_buffer, record, isVersion4, m_times);
        ++m_rows;
        if (m_buffer.size() >= kChunk) Flush();
    }
    std::size_t Rows() const { return m_rows; }

private:
    static constexpr std::size_t kChunk = 1 << 20;
    void Flush() {
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_buffer.clear();
    }

    const LocalTimeBatch m_sameZoneThroughout;
    ShortTimeTexts m_times;
    std::ostream& m_out;
    const ViewOptions m_shown;
    std::string m_buffer;
    std::size_t m_rows = 0;
};
}  // namespace

std::size_t WriteCsv(std::ostream& out, const TallowmarkDoc& document, ViewOptions shown, const RecordFilter& filter) {
    CsvLineWriter writer(out, shown);
    const bool isVersion4 = document.IsVersion4();
    const bool everyRecord = filter.IsEmpty();
    const SearchedColumns searched(isVersion4, {});
    for (const auto& record : document.Records())
        if (everyRecord || filter.Matches(record, searched)) writer.Add(record, isVersion4);
    return writer.Rows();
}

Outcome ExportCsv(const std::string& path, const TallowmarkDoc& document, ViewOptions shown, const RecordFilter& filter,
                  const std::vector<std::string>& openFiles, std::size_t* rows) {
    std::size_t written = 0;
    Outcome outcome = WriteUserFile(
        path, document.InputsWith(openFiles),
        [&](std::ostream& out) { written = WriteCsv(out, document, shown, filter); }, kMsgCannotWriteExport);
    if (rows) *rows = outcome ? written : 0;
    return outcome;
}

std::string ExportedText(std::size_t count, std::string_view noun, const std::string& path, CountDigits digits) {
    return "Exported " + (digits ? digits(count) : std::to_string(count)) + " " + std::string(noun) +
           (count == 1 ? "" : "s") + " to " + PathDisplayText(path);
}

Outcome StreamCsv(IndexStream& stream, std::ostream& out, ViewOptions shown, unsigned threads) {
    out << kCsvHeaderLine;
    const bool isVersion4 = stream.IsVersion4();
    // One zone table for every thread, so that all lines convert alike.
    const auto zone = LocalTimeRules::Current();
    SpareBuffers<ReadBuffer> spareBytes;
    SpareBuffers<std::string> spareLines;
    SpareBuffers<ShortTimeTexts> spareTimes;  // the dates one piece has written serve the next
    RunInOrder<std::string>(
        threads ? threads : std::max(1u, std::thread::hardware_concurrency()),
        [&] { return stream.NextPiece(IndexStream::kPieceTarget, spareBytes.Take()); },
        [&](IndexPiece piece) {
            const LocalTimeBatch sameZone(zone);
            ShortTimeTexts times = spareTimes.Take();
            std::string lines = spareLines.Take();
            lines.clear();
            lines.reserve(piece.bytes.size() / 2);
            stream.WalkPiece(piece, [&](const IndexRecord& record, std::uint64_t) {
                if (shown.Shows(record)) AppendCsvLine(lines, record, isVersion4, times);
            });
            spareBytes.GiveBack(std::move(piece.bytes));
            spareTimes.GiveBack(std::move(times));
            return lines;
        },
        [&](std::string lines) {
            out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
            spareLines.GiveBack(std::move(lines));
        });
    return stream.Failure();
}

}  // namespace tallowmark
