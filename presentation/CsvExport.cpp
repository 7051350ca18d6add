#include "presentation/CsvExport.h"

#include <ostream>

#include "model/TallowmarkDoc.h"
#include "platform/OutputFile.h"
#include "presentation/RecordCells.h"

namespace tallowmark {

namespace {
// A text between double quotes; a quote inside it is doubled so the line stays valid CSV.
void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
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
    for (int column = kColumnModified; column <= kColumnFileName; ++column) {
        out += ',';
        AppendQuoted(out, CellText(record, column, isVersion4));
    }
    out += "\r\n";
}

void TallowmarkDoc::WriteCsv(std::ostream& out, bool viewBlankRecords, bool viewBadfoodRecords) const {
    constexpr std::size_t kChunk = 1 << 20;
    const bool isVersion4 = IsVersion4();
    std::string buffer = kCsvHeaderLine;
    buffer.reserve(kChunk + 4096);
    for (const auto& record : m_records) {
        if (!IsShown(*record, viewBlankRecords, viewBadfoodRecords)) continue;
        AppendCsvLine(buffer, *record, isVersion4);
        if (buffer.size() >= kChunk) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

Outcome TallowmarkDoc::ExportCsv(const std::string& path, bool viewBlankRecords, bool viewBadfoodRecords) const {
    platform::OpenedOutput output = platform::OpenForWriting(path);
    if (!output.file) return Outcome::Failure(FormatMessage(kMsgCannotWriteExport, path));
    {
        platform::StdioStreamBuf buffer(output.file.get());
        std::ostream out(&buffer);
        WriteCsv(out, viewBlankRecords, viewBadfoodRecords);
    }
    if (platform::CloseWritten(std::move(output.file)) != platform::WriteError::None)
        return Outcome::Failure(FormatMessage(kMsgExportWriteFailed, path));
    return Outcome::Success();
}

}  // namespace tallowmark
