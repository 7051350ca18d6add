#pragma once
// What the desktop asks of the program: the command line it starts us with, and the
// open commands one instance sends another ("[open("PATH")]", one per file).

#include <string>
#include <string_view>
#include <vector>

namespace tallowmark {

struct CommandLine {
    bool dde = false;                // "/dde" or "-dde": the files come as open commands
    std::vector<std::string> paths;  // the files to open; only with dde
};

// `arguments` without the program's own name. A file name given alone opens nothing.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// [open("PATH")], a quote inside the path doubled.
std::string OpenCommand(std::string_view path);

// The path of every well-formed open command in `text`, in order. Anything else (other
// commands, broken brackets or quotes, empty paths, zero bytes) is skipped.
std::vector<std::string> ParseOpenCommands(std::string_view text);

}  // namespace tallowmark
