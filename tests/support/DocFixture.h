#pragma once
// A document loaded from builder bytes through a temporary file.

#include <memory>
#include <string>

#include "model/TallowmarkDoc.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark::testing {

struct LoadedDoc {
    TempDir dir;
    std::string path;
    TallowmarkDoc doc;

    const IndexRecord& operator[](std::size_t i) const { return *doc.Records()[i]; }
};

inline std::unique_ptr<LoadedDoc> LoadDoc(const IndexFileBuilder& builder) {
    auto loaded = std::make_unique<LoadedDoc>();
    loaded->path = loaded->dir.Path("index.dat");
    builder.WriteTo(loaded->path);
    const Outcome opened = loaded->doc.OnOpenDocument(loaded->path);
    if (!opened) throw std::runtime_error(opened.message);
    return loaded;
}

}  // namespace tallowmark::testing
