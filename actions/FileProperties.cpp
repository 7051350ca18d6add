#include "actions/FileProperties.h"

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
    return facts;
}

}  // namespace tallowmark
