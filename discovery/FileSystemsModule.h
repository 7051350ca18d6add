#pragma once
// The module that reads the file systems inside disk images: it alone links The Sleuth
// Kit's library, which brings dozens of the system's libraries with it, so that a run of
// the program that opens no image never loads them. Its one entry point gives a table.

#include "discovery/ImageFileSystems.h"

namespace tallowmark {

inline constexpr const char* kFileSystemsModuleFile = "tallowmark-filesystems.so";
inline constexpr const char* kFileSystemsModuleEntry = "tallowmark_file_systems_module_v1";

struct FileSystemsModule {
    // ImageFileSystems::Open once the image is known to be whole.
    ImageFileSystems::Opened (*open)(std::shared_ptr<ByteSource> image, const std::string& name);
};

using FileSystemsModuleEntry = const FileSystemsModule* (*)();

}  // namespace tallowmark
