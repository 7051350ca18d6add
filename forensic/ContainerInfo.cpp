#include "forensic/ContainerInfo.h"

#include <string>

#include "actions/FileProperties.h"
#include "forensic/JsonText.h"
#include "model/ContainerFacts.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
void WriteText(std::ostream& out, const FilePropertiesFacts& properties, const ContainerFacts& facts,
               const FileDigests& digests) {
    out << "Name: " << properties.name << "\n"
        << "Location: " << properties.location << "\n"
        << "Version: " << properties.version << "\n"
        << "Size: " << properties.size << "\n"
        << "Number of records: " << properties.records << "\n";
    // A file read from an image has its SHA-256 among its place's facts, unless given here.
    for (const auto& [label, value] : properties.inImage)
        if (digests.sha256.empty() || label != "SHA-256:") out << label << ' ' << value << "\n";
    if (!digests.sha256.empty()) out << "SHA-256: " << digests.sha256 << "\nMD5: " << digests.md5 << "\n";
    out << ContainerFactsText(facts);
}

class JsonObject {
public:
    explicit JsonObject(std::string& out) : m_out(out) { m_out += '{'; }
    std::string& Key(std::string_view name) {
        if (!m_first) m_out += ',';
        m_first = false;
        AppendJsonString(m_out, name);
        m_out += ':';
        return m_out;
    }
    void Text(std::string_view name, std::string_view utf8) { AppendJsonString(Key(name), utf8); }
    void Number(std::string_view name, std::uint64_t value) { Key(name) += std::to_string(value); }
    void End() { m_out += '}'; }

private:
    std::string& m_out;
    bool m_first = true;
};

void WriteJson(std::ostream& out, const TallowmarkDoc& document, const FilePropertiesFacts& properties,
               const ContainerFacts& facts, const FileDigests& digests) {
    std::string text;
    JsonObject object(text);
    object.Text("name", properties.name);
    object.Text("location", properties.location);
    object.Text("version", TextToUtf8(properties.version));
    if (!digests.sha256.empty()) {
        object.Text("sha256", digests.sha256);
        object.Text("md5", digests.md5);
    }
    object.Number("file_holds", facts.shortfall.length);
    object.Number("missing_bytes", facts.shortfall.Missing());
    object.Number("size", document.Header() ? document.Header()->FileSizeField() : 0);
    object.Number("records", properties.records);
    if (const FileInImage* origin = document.Origin()) {
        const ImagePlace& place = origin->Place();
        object.Text("image", TextToUtf8(place.image));
        object.Number("partition", place.partition);
        object.Text("path_in_image", place.path);
        object.Text("file_state", place.state);
        object.Text("inode", place.inode);
        if (digests.sha256.empty()) object.Text("sha256", place.sha256);
    }
    object.Number("blocks", facts.blocks);
    object.Number("blocks_in_use", facts.blocksInUse);
    object.Number("cache_limit", facts.cacheLimit);
    object.Number("cache_size", facts.cacheSize);
    object.Number("exempt_size", facts.exemptSize);
    object.Key("directories") += '[';
    for (std::size_t i = 0; i < facts.directories.size(); ++i) {
        if (i) text += ',';
        JsonObject directory(text);
        directory.Text("name", TextToUtf8(facts.directories[i].name));
        directory.Number("files", facts.directories[i].files);
        directory.End();
    }
    text += ']';
    object.Number("hash_tables", facts.hashTables);
    object.Number("hash_entries_in_use", facts.hashEntriesInUse);
    object.Text("hash_chain", ChainEndName(facts.hashChainEnd));
    {
        JsonObject kinds(object.Key("records_by_kind"));
        for (std::size_t k = 0; k < kEntryKindCount; ++k) {
            const auto kind = static_cast<EntryKind>(k);
            if (!facts.HasEntries(kind)) continue;
            JsonObject statuses(kinds.Key(EntryKindName(kind)));
            for (const RecordStatus status : kEntryStatuses)
                statuses.Number(StatusName(status), facts.Entries(kind, status));
            statuses.End();
        }
        kinds.End();
    }
    object.Number("partial_records", facts.partialEntries);
    object.End();
    out << text << "\n";
}
}  // namespace

void WriteContainerInfo(std::ostream& out, const TallowmarkDoc& document, InfoFormat format,
                        const FileDigests& digests) {
    const FilePropertiesFacts properties = PropertiesOf(document);
    const ContainerFacts facts = ContainerFactsOf(document);
    if (format == InfoFormat::Json) WriteJson(out, document, properties, facts, digests);
    else
        WriteText(out, properties, facts, digests);
}

}  // namespace tallowmark
