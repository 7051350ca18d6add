#pragma once
// The module that reads the file systems inside disk images: it alone links The Sleuth
// Kit's library, which brings dozens of the system's libraries with it, so that a run of
// the program that opens no image never loads them. Its one entry point gives a table.

#include "discovery/ImageFileSystems.h"

namespace tallowmark {

// The entry point's name carries the version, so that a program never calls a module
// built from other sources (TALLOWMARK_FILE_SYSTEMS_ENTRY, set by the build).
#define TALLOWMARK_NAME_TEXT(name) #name
#define TALLOWMARK_NAME_OF(name) TALLOWMARK_NAME_TEXT(name)
inline constexpr const char* kFileSystemsModuleFile = "tallowmark-filesystems.so";
inline constexpr const char* kFileSystemsModuleEntry = TALLOWMARK_NAME_OF(TALLOWMARK_FILE_SYSTEMS_ENTRY);

struct FileSystemsModule {
    // ImageFileSystems::Open once the image is known to be whole.
    ImageFileSystems::Opened (*open)(std::shared_ptr<ByteSource> image, const std::string& name);
};

using FileSystemsModuleEntry = const FileSystemsModule* (*)();

}  // namespace tallowmark
