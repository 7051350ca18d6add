#pragma once
// Libraries of the program's own, loaded when first needed rather than at every start: a
// library that pulls in many of the system's (the one that reads file systems inside disk
// images) costs each run of the command line as much as a small export takes. They are
// looked for in the program's own folders only, never where a user or a setting points.

#include <string>

namespace tallowmark::platform {

struct ProgramModule {
    void* entry = nullptr;  // the function `entry` names; null when the module could not be loaded
    std::string error;      // why not, for a message
};

// The entry point `entry` of the module file `fileName`, from the installed program's
// module folder (LIBDIR/tallowmark, found from its bin folder) or, for a program run from
// its build folder, from that folder. A module is loaded once and stays for the process's life.
ProgramModule LoadProgramModule(const std::string& fileName, const char* entry);

// Whether the module file `fileName` is where LoadProgramModule looks, without loading it.
bool HasProgramModule(const std::string& fileName);

}  // namespace tallowmark::platform
