#include "presentation/EntryDetails.h"

#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
std::string UrlDetails(const UrlRecord& record) {
    std::string text = "Last Modified: " + FormatTime(record.ModifiedTime(), LONG_TIME_FORMAT) +
                       "\nLast Accessed: " + FormatTime(record.AccessedTime(), LONG_TIME_FORMAT);
    auto addLine = [&text](const char* label, std::string_view value) {
        if (!value.empty()) text.append(label).append(AnsiToUtf8(value));
    };
    addLine("\nURL: ", record.UrlText());
    addLine("\nCache Filename: ", record.FileNameText());
    addLine("\nCache Directory: ", record.CacheDirText());
    addLine("\nHTTP Headers:\n", record.HttpHeadersText());
    return text;
}

std::string DetailsPart(const IndexRecord& record) {
    if (const UrlRecord* url = AsUrlRecord(record)) return UrlDetails(*url);
    if (record.Kind() == BlockKind::Blank) return "Blank records are blank and contain all zeros";
    if (record.Kind() == BlockKind::BadFood) return "BAD FOOD records contain repeating 0B, AD, F0, 0D values only.";
    if (record.Kind() == BlockKind::Redirect) return "URL: " + AnsiToUtf8(record.UrlText());
    return {};
}
}  // namespace

std::string EntryDetailsText(const IndexRecord& record, const std::string& documentPath) {
    std::string text = "File:\r\n" + documentPath +
                       "\r\nRecord Number: " + std::to_string(static_cast<std::uint64_t>(record.RecordNumber()) + 1) +
                       "\r\nRecord Type: " + std::string(record.TypeName()) +
                       "\r\nRecord Size: " + SizeText(record.Size()) + " bytes";
    const std::string details = DetailsPart(record);
    if (!details.empty()) text += "\r\n\r\nDetails:\r\n" + details;
    return text;
}

}  // namespace tallowmark
