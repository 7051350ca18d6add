// Writes the desktop entry and the MIME package for an installed program, the same
// files the program registers for its user at start:
//   tallowmark-desktop-files EXECUTABLE FOLDER
#include <cstdio>
#include <fstream>

#include "platform/posix/DesktopFiles.h"

int main(int argc, char** argv) {
    using namespace tallowmark::platform;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s EXECUTABLE FOLDER\n", argv[0]);
        return 2;
    }
    const DocumentType type;
    const auto entry = DesktopEntry(argv[1], type);
    if (!entry) {
        std::fprintf(stderr, "%s: the executable needs an absolute path without control characters\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[2];
    std::ofstream(folder + "/" + type.desktopFileName, std::ios::binary) << *entry;
    std::ofstream(folder + "/" + MimePackageFileName(type), std::ios::binary) << MimePackage(type);
    return 0;
}
