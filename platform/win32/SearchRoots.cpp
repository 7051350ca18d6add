#include "platform/SearchRoots.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace tallowmark::platform {

SearchRoots MachineSearchRoots() {
    SearchRoots where;
    // A: and B: are floppy letters and never looked at; mapped network drives are searched.
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        const char root[] = {letter, ':', '\\', '\0'};
        const UINT type = GetDriveTypeA(root);
        if (type != DRIVE_NO_ROOT_DIR && type != DRIVE_CDROM) where.roots.emplace_back(root);
    }
    return where;
}

}  // namespace tallowmark::platform
