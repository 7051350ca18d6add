#include "platform/ProgramModule.h"

namespace tallowmark::platform {

// The Windows build carries no modules: what they would read is built in, or not at all.
ProgramModule LoadProgramModule(const std::string& fileName, const char*) {
    return {nullptr, fileName + " is not part of this build"};
}

bool HasProgramModule(const std::string&) { return false; }

}  // namespace tallowmark::platform
