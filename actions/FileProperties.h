#pragma once
// The summary of an open index file that the properties page shows.

#include <cstddef>
#include <string>

#include "model/TallowmarkDoc.h"

namespace tallowmark {

// Texts as shown: the name and location as PathDisplayText shows a path.
struct FilePropertiesFacts {
    std::string name;      // the document's title
    std::string location;  // the folder that holds the file
    std::string version;   // the header's version text; empty without a header
    std::string size;      // the header's recorded file size, "N bytes"
    std::size_t records = 0;
};

inline constexpr const char* kSizeFormat = "%1 bytes";

FilePropertiesFacts PropertiesOf(const TallowmarkDoc& document);

}  // namespace tallowmark
