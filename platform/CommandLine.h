#pragma once
// The program's own arguments and standard output, the same on every system.

#include <string>
#include <vector>

namespace tallowmark::platform {

// The arguments after the program's name, as UTF-8 (on Windows taken from the UTF-16
// command line, so names outside the ANSI code page arrive whole).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Standard output passes bytes through unchanged (no LF to CR LF translation on Windows).
void UseBinaryStandardOutput();

}  // namespace tallowmark::platform
