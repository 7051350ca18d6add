#include "model/ContainerFacts.h"

#include <algorithm>

#include "model/RecordEvidence.h"
#include "model/TallowmarkDoc.h"
#include "model/format/FileHeaderLayout.h"

namespace tallowmark {

ContainerFacts ContainerFactsOf(const TallowmarkDoc& document) {
    ContainerFacts facts;
    facts.shortfall = document.Shortfall();
    if (const IndexHeader* header = document.Header()) {
        const ByteView bytes = header->Bytes();
        facts.blocks = ReadU32(bytes, fileheader::kBlockCount.Offset());
        facts.blocksInUse = ReadU32(bytes, fileheader::kBlocksInUse.Offset());
        facts.cacheLimit = ReadU64(bytes, fileheader::kCacheLimit.Offset());
        facts.cacheSize = ReadU64(bytes, fileheader::kCacheSize.Offset());
        facts.exemptSize = ReadU64(bytes, fileheader::kExemptSize.Offset());
        // The directory table ends where the bitmap begins, and with the header's bytes.
        const std::uint32_t count = ReadU32(bytes, fileheader::kCacheDirCount.Offset());
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t entry = fileheader::kCacheDirFiles.Offset() + fileheader::kCacheDirStep * i;
            if (entry + fileheader::kCacheDirStep > std::min<std::size_t>(fileheader::kBitmap.Offset(), bytes.size()))
                break;
            facts.directories.push_back({header->CacheDirName(static_cast<int>(i)), ReadU32(bytes, entry)});
        }
    }
    const HashTables& tables = document.Evidence().hashTables;
    facts.hashTables = tables.TableCount();
    facts.hashEntriesInUse = tables.EntriesInUse();
    facts.hashChainEnd = tables.End();
    for (const auto& record : document.Records()) {
        if (!CarriesEvidence(record)) continue;
        const RecordMarks marks = record.Marks();
        ++facts.entries[static_cast<std::size_t>(marks.Kind())][static_cast<std::size_t>(marks.Status())];
        if (marks.Partial()) ++facts.partialEntries;
    }
    return facts;
}

std::string_view ChainEndName(HashTables::ChainEnd end) {
    switch (end) {
        case HashTables::ChainEnd::Complete: break;
        case HashTables::ChainEnd::PastTheFile: return "names a table past the end of the file";
        case HashTables::ChainEnd::NotATable: return "names a block that is no hash table";
        case HashTables::ChainEnd::Loop: return "comes back to a table read before";
        case HashTables::ChainEnd::TooLong: return "claims more than the file holds";
    }
    return "complete";
}

}  // namespace tallowmark
