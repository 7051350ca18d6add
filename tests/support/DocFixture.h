#pragma once
// A document loaded from builder bytes through a temporary file.

#include <memory>
#include <string>

#include "model/TallowmarkDoc.h"
#include "presentation/RecordSort.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark::testing {

struct LoadedDoc {
    TempDir dir;
    std::string path;
    TallowmarkDoc doc;

    IndexRecord operator[](std::size_t i) const { return doc.Record(i); }
};

inline std::unique_ptr<LoadedDoc> LoadDoc(const IndexFileBuilder& builder) {
    auto loaded = std::make_unique<LoadedDoc>();
    loaded->path = loaded->dir.Path("index.dat");
    builder.WriteTo(loaded->path);
    const Outcome opened = loaded->doc.OnOpenDocument(loaded->path);
    if (!opened) throw std::runtime_error(opened.message);
    return loaded;
}

// Every record of `doc` as a list row, in file order.
inline RowList AllRows(const TallowmarkDoc& doc) {
    RowList rows(doc.RecordCount());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint32_t>(i);
    return rows;
}

inline std::vector<std::uint32_t> Numbers(const TallowmarkDoc& doc, const RowList& rows) {
    std::vector<std::uint32_t> numbers;
    for (std::uint32_t row : rows) numbers.push_back(doc.Record(row).RecordNumber());
    return numbers;
}

}  // namespace tallowmark::testing
