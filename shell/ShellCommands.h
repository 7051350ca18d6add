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
    std::vector<std::string> named;  // the files named without "/dde", which stay unopened
};

// `arguments` without the program's own name. A file name given alone opens nothing.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
// The one line that tells a person who named files alone how to open them, or empty.
std::string NamedFilesHint(const CommandLine& line);

// [open("PATH")], a quote inside the path doubled.
std::string OpenCommand(std::string_view path);

// The path of every well-formed open command in `text`, in order. Anything else (other
// commands, broken brackets or quotes, empty paths, zero bytes) is skipped.
std::vector<std::string> ParseOpenCommands(std::string_view text);

inline constexpr const char* kMsgMoreFilesNotOpened = "%1 more files could not be opened.";
// A file handed over to be opened that could not be, with the message its loading gave.
struct FileNotOpened {
    std::string path;
    std::string message;
};
// One message for the files handed over at once that could not be opened: the file's
// own message for one; for several, a line each, with the path in front of a message that
// does not name it, and past `mostLines` lines how many more there were. Every line reads
// as one line, whatever the names hold.
std::string FilesNotOpenedText(const std::vector<FileNotOpened>& files, std::size_t mostLines = 20);

}  // namespace tallowmark
