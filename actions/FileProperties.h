#pragma once
// The summary of an open index file that the properties sheet shows: the General page's
// facts, and the Contents page's, which info writes too.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "model/TallowmarkDoc.h"

namespace tallowmark {

// Texts as shown: the name and location as PathDisplayText shows a path.
struct FilePropertiesFacts {
    std::string name;      // the document's title
    std::string location;  // the folder that holds the file
    std::string version;   // the header's version text; empty without a header
    std::string size;      // the header's recorded file size, "N bytes"
    std::size_t records = 0;
    // For a file read from a disk image: its image, partition, path, state, inode and
    // SHA-256, as (label, text) in the order shown.
    std::vector<std::pair<std::string, std::string>> inImage;
};

inline constexpr const char* kSizeFormat = "%1 bytes";

FilePropertiesFacts PropertiesOf(const TallowmarkDoc& document);

struct ContainerFacts;
// The facts of the whole file as lines of "Name: value": how much of it is missing when
// it was cut short, the blocks in the area and in
// use, the cache limit and size, the exempt size, the cache directories with their file
// counts, the hash tables and entries in use, the entries by kind and status, and the
// partial ones. Names as the header holds them, in the code page of the file's texts.
std::string ContainerFactsText(const ContainerFacts& facts);

}  // namespace tallowmark
