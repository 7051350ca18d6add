// Writes the desktop entry and the MIME package for an installed program, the same
// files the program registers for its user at start:
//   tallowmark-desktop-files EXECUTABLE FOLDER
#include <cstdio>
#include <fstream>
#include <utility>

#include "platform/posix/DesktopFiles.h"

namespace {
bool Write(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    return !file.fail();
}
}  // namespace

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
    // The install goes on only with both files whole.
    for (const auto& [name, text] :
         {std::pair{type.desktopFileName, *entry}, std::pair{MimePackageFileName(type), MimePackage(type)}}) {
        if (!Write(folder + "/" + name, text)) {
            std::fprintf(stderr, "%s: %s/%s could not be written\n", argv[0], folder.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}
