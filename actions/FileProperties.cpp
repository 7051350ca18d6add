#include "actions/FileProperties.h"

#include <sstream>

#include "model/ContainerFacts.h"
#include "platform/NativePath.h"
#include "presentation/PathText.h"

namespace tallowmark {

FilePropertiesFacts PropertiesOf(const TallowmarkDoc& document) {
    FilePropertiesFacts facts;
    facts.name = PathDisplayText(document.Title());
    facts.location = PathDisplayText(FolderOf(document.PathName()));
    const IndexHeader* header = document.Header();
    facts.version = header ? std::string(header->VersionText()) : std::string();
    facts.size = FormatMessage(kSizeFormat, std::to_string(header ? header->FileSizeField() : 0u));
    facts.records = document.RecordCount();
    if (const FileInImage* origin = document.Origin()) {
        const ImagePlace& place = origin->Place();
        facts.inImage = {{"Image:", PathDisplayText(place.image)}, {"Partition:", place.partitionText},
                         {"Path in image:", place.path},          {"State:", place.state},
                         {"Inode:", place.inode},                 {"SHA-256:", place.sha256}};
    }
    return facts;
}

std::string ContainerFactsText(const ContainerFacts& facts) {
    std::ostringstream out;
    if (facts.shortfall.Missing() != 0) out << "Truncated: " << ShortfallText(facts.shortfall) << "\n";
    out << "Blocks: " << facts.blocks << ", " << facts.blocksInUse << " in use\n"
        << "Cache limit: " << facts.cacheLimit << " bytes\n"
        << "Cache size: " << facts.cacheSize << " bytes\n"
        << "Exempt size: " << facts.exemptSize << " bytes\n"
        << "Cache directories: " << facts.directories.size() << "\n";
    for (const ContainerFacts::Directory& directory : facts.directories)
        out << "  " << directory.name << ": " << directory.files << " files\n";
    out << "Hash tables: " << facts.hashTables << ", " << facts.hashEntriesInUse << " entries in use";
    if (facts.hashChainEnd != HashTables::ChainEnd::Complete) out << "; the chain " << ChainEndName(facts.hashChainEnd);
    out << "\nRecords by kind:";
    bool any = false;
    for (std::size_t k = 0; k < kEntryKindCount; ++k) {
        const auto kind = static_cast<EntryKind>(k);
        if (!facts.HasEntries(kind)) continue;
        any = true;
        out << "\n  " << EntryKindName(kind) << ":";
        const char* separator = " ";
        for (const RecordStatus status : kEntryStatuses) {
            out << separator << facts.Entries(kind, status) << " " << StatusName(status);
            separator = ", ";
        }
    }
    out << (any ? "\n" : " none\n") << "Partial records: " << facts.partialEntries << "\n";
    return out.str();
}

}  // namespace tallowmark
