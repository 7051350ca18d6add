// Damaged and hostile files: every one loads or is refused cleanly, and everything the
// program shows of it can be computed without reading outside the file.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string_view>

#include "model/TallowmarkDoc.h"
#include "presentation/CsvExport.h"
#include "presentation/EntryDetails.h"
#include "presentation/RecordCells.h"
#include "presentation/RecordSort.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

using testing::Buffer;

Buffer Healthy() {
    testing::IndexFileBuilder builder(testing::kVersion5, 0x200);
    builder.CacheDir(0, "DIRNAME0").CacheDir(1, "DIRNAME1");
    builder.Hash(2).Url({.url = "http://a/", .fileName = "a.htm", .headers = "HTTP/1.1 200 OK\r\n", .dirIndex = 1});
    builder.Leak({.url = "http://l/"}).Redirect("http://r/").Blank().BadFood().Unrecognised();
    builder.Url({.url = "http://long/", .headers = std::string(300, 'h')});
    return builder.Bytes();
}

bool Within(std::string_view text, ByteView bytes) {
    const auto at = reinterpret_cast<std::uintptr_t>(text.data());
    const auto begin = reinterpret_cast<std::uintptr_t>(bytes.data());
    return text.empty() || (at >= begin && at + text.size() <= begin + bytes.size());
}

// What of the document lies outside the bytes read for it: a record before the end of the
// one before it or past its claimed size, a text outside its record, a cache directory
// name outside the header. Empty when nothing does.
std::string Misplaced(const TallowmarkDoc& doc) {
    const std::uint8_t* previousEnd =
        doc.Header() ? doc.Header()->Bytes().data() + doc.Header()->Bytes().size() : nullptr;
    for (const auto& record : doc.Records()) {
        const ByteView bytes = record.Bytes();
        const std::string number = "record " + std::to_string(record.RecordNumber()) + ": ";
        if (!bytes.empty() && previousEnd && bytes.data() < previousEnd) return number + "overlaps the one before";
        if (bytes.size() > record.Size()) return number + "holds more than its size";
        if (!Within(record.UrlText(), bytes)) return number + "URL outside the record";
        if (const auto url = AsUrlRecord(record)) {
            if (!Within(url->FileNameText(), bytes)) return number + "file name outside the record";
            if (!Within(url->HttpHeadersText(), bytes)) return number + "headers outside the record";
            if (!Within(url->CacheDirText(), doc.Header()->Bytes()))
                return number + "cache directory outside the header";
        }
        if (!bytes.empty()) previousEnd = bytes.data() + bytes.size();
    }
    return {};
}

// Everything a view, the details, the export and a sort would ask of the document.
void Exercise(const TallowmarkDoc& doc) {
    EXPECT_EQ(Misplaced(doc), "");
    std::ostringstream sink;
    WriteCsv(sink, doc, ViewOptions{});
    doc.Serialize(sink);
    RowList rows;
    for (const auto& record : doc.Records()) {
        rows.push_back(static_cast<std::uint32_t>(rows.size()));
        for (std::size_t column = 0; column < kRecordColumns.size(); ++column)
            sink << ShownCellText(record, static_cast<int>(column), doc.IsVersion4());
        sink << EntryDetailsWithEvidence(record, doc.PathName());
    }
    for (std::size_t column = 0; column < kRecordColumns.size(); ++column)
        SortRows(doc, rows, static_cast<int>(column), column % 2 == 1);
}

TEST(DamagedFiles, EveryTruncationLoadsOrIsRefused) {
    testing::TempDir dir;
    const Buffer whole = Healthy();
    const std::string path = dir.Path("index.dat");
    for (std::size_t length = 0; length <= whole.size(); length += (length < 0x300 ? 1 : 7)) {
        testing::WriteFile(path, Buffer(whole.begin(), whole.begin() + static_cast<long>(length)));
        TallowmarkDoc doc;
        const Outcome opened = doc.OnOpenDocument(path);
        if (length > 0 && length < 15) {
            EXPECT_EQ(opened.message, "Unexpected file format.");
        }
        if (opened) Exercise(doc);
    }
}

TEST(DamagedFiles, RandomlyCorruptedFieldsNeverLeadOutOfBounds) {
    testing::TempDir dir;
    const std::string path = dir.Path("index.dat");
    const Buffer whole = Healthy();
    std::mt19937 random(1234);
    const std::uint32_t nasty[] = {0,    1,          8,          9,           0x68,        0x7F,        0x80,
                                   0xFF, 0x0BADF00D, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0x02000000u, 0x01FFFFFFu};
    for (int round = 0; round < 400; ++round) {
        Buffer bytes = whole;
        for (int hits = 1 + static_cast<int>(random() % 6); hits > 0; --hits) {
            const std::size_t at = 15 + random() % (bytes.size() - 19);
            if (random() % 2) testing::PutU32(bytes, at & ~std::size_t{3}, nasty[random() % std::size(nasty)]);
            else
                bytes[at] = static_cast<std::uint8_t>(random());
        }
        testing::WriteFile(path, bytes);
        TallowmarkDoc doc;
        if (doc.OnOpenDocument(path)) {
            Exercise(doc);
        }
    }
}

}  // namespace
}  // namespace tallowmark
