#include "actions/FileProperties.h"

#include "presentation/PathText.h"

namespace tallowmark {

std::string LocationOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

FilePropertiesFacts PropertiesOf(const TallowmarkDoc& document) {
    FilePropertiesFacts facts;
    facts.name = PathDisplayText(document.Title());
    facts.location = PathDisplayText(LocationOf(document.PathName()));
    const IndexHeader* header = document.Header();
    facts.version = header ? std::string(header->VersionText()) : std::string();
    facts.size = FormatMessage(kSizeFormat, std::to_string(header ? header->FileSizeField() : 0u));
    facts.records = document.RecordCount();
    return facts;
}

}  // namespace tallowmark
