// libFuzzer target: the input is an index file. Everything the program would compute
// from it (cells, details, CSV line, copy, sort) must stay inside the file's bytes.
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "forensic/ContainerInfo.h"
#include "model/HistoryData.h"
#include "model/RecordEvidence.h"
#include "model/TallowmarkDoc.h"
#include "presentation/AnsiText.h"
#include "presentation/CsvExport.h"
#include "presentation/EntryDetails.h"
#include "presentation/RecordCells.h"
#include "presentation/RecordSort.h"

namespace {

using namespace tallowmark;

// Sums lengths so the optimiser cannot drop a computed text.
std::size_t g_sink = 0;

void Touch(std::string_view text) { g_sink += text.size(); }

void WalkUrlRecord(const UrlRecord& url) {
    g_sink += static_cast<std::uint32_t>(url.ModifiedTime()) + static_cast<std::uint32_t>(url.AccessedTime());
    Touch(AnsiToUtf8(url.FileNameText()));
    Touch(AnsiToUtf8(url.HttpHeadersText()));
    Touch(AnsiToUtf8(url.CacheDirText()));
}

// Every field of the evidence a reader may ask for.
void WalkEvidence(const IndexRecord& record) {
    const RecordEvidence evidence(record);
    Touch(evidence.User());
    for (const RecordTimeField field : kRecordTimeFields) {
        g_sink += evidence.Time(field).time + evidence.Meaning(field).label.size();
    }
    g_sink += evidence.CachedSize().value_or(0) + evidence.Hits().value_or(0) + evidence.Flags().value_or(0) +
              evidence.ExemptDelta().value_or(0);
    Touch(evidence.HttpHeaders());
    Touch(Utf16ToUtf8(evidence.PageTitle()));
    Touch(Utf16ToUtf8(evidence.FileUri()));
    ForEachHistoryDataEntry(evidence.DataArea(), [](const HistoryDataEntry& entry) { g_sink += entry.value.size(); });
}

void WalkDocument(const TallowmarkDoc& doc) {
    const bool isVersion4 = doc.IsVersion4();
    if (const IndexHeader* header = doc.Header()) {
        Touch(header->VersionText());
        g_sink += header->FileSizeField();
        for (int index = -1; index < 40; ++index) Touch(header->CacheDirName(index));
    }
    std::string csv;
    RowList rows;
    for (std::uint32_t place = 0; place < doc.RecordCount(); ++place) {
        const IndexRecord record = doc.Record(place);
        rows.push_back(place);
        g_sink += record.Size() + record.Bytes().size() + record.RecordNumber();
        Touch(AnsiToUtf8(record.UrlText()));
        if (const auto url = AsUrlRecord(record)) WalkUrlRecord(*url);
        if (CarriesEvidence(record)) WalkEvidence(record);
        for (int column = 0; column < ColumnCount(isVersion4); ++column)
            Touch(AnsiToUtf8(CellText(record, column, isVersion4)));
        Touch(EntryDetailsText(record, doc.PathName()));
        csv.clear();
        AppendCsvLine(csv, record, isVersion4);
        Touch(csv);
    }
    std::ostringstream info;
    WriteContainerInfo(info, doc, InfoFormat::Json);
    Touch(info.view());
    std::ostringstream copy;
    doc.Serialize(copy);
    Touch(copy.view());
    // Sorting compares every accessor pairwise; a few columns are enough to reach them all.
    if (rows.size() <= 4096)
        for (int column = 0; column < 8; ++column) SortRows(doc, rows, column, column % 2 == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so the address sanitizer sees any read past the file's end.
    auto image = std::make_unique<std::uint8_t[]>(size);
    if (size != 0) std::memcpy(image.get(), data, size);
    TallowmarkDoc doc;
    if (doc.OpenImage(std::move(image), size, "/fuzz/caf\xC3\xA9/index.dat")) WalkDocument(doc);
    return 0;
}
