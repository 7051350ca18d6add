#include "shell/ShellCommands.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "model/Outcome.h"
#include "presentation/PathText.h"

namespace tallowmark {

namespace {
constexpr std::string_view kOpenStart = "[open(\"";
constexpr std::string_view kOpenEnd = "\")]";

bool IsDdeFlag(std::string_view argument) { return argument == "/dde" || argument == "-dde"; }
}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (const std::string& argument : arguments) {
        if (IsDdeFlag(argument)) line.dde = true;
        else
            line.paths.push_back(argument);
    }
    if (!line.dde) line.named = std::exchange(line.paths, {});
    return line;
}

namespace {
// A path as a shell takes it back: in single quotes unless it is plain.
std::string ShellWord(const std::string& path) {
    const bool plain = !path.empty() && std::all_of(path.begin(), path.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::string_view("/._-+:,@%=").find(c) != std::string_view::npos;
    });
    if (plain) return path;
    std::string quoted = "'";
    for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
}  // namespace

std::string NamedFilesHint(const CommandLine& line) {
    if (line.named.empty()) return {};
    std::string files;
    for (const std::string& path : line.named) files += " " + ShellWord(path);
    // One line, whatever the names hold.
    return PathDisplayText("tallowmark: a file named alone is not opened; to open it, run \"tallowmark /dde" + files +
                           "\" or choose File > Open");
}

std::string OpenCommand(std::string_view path) {
    std::string command(kOpenStart);
    for (const char c : path) {
        if (c == '"') command += '"';
        command += c;
    }
    return command += kOpenEnd;
}

std::vector<std::string> ParseOpenCommands(std::string_view text) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while ((start = text.find(kOpenStart, start)) != std::string_view::npos) {
        std::size_t at = start + kOpenStart.size();
        std::string path;
        bool complete = false;
        while (at < text.size()) {
            if (text[at] == '"' && text.substr(at, 2) == "\"\"") {
                path += '"';
                at += 2;
            } else if (text[at] == '"') {
                complete = text.substr(at, kOpenEnd.size()) == kOpenEnd;
                break;
            } else if (text[at] == '\0') {
                break;
            } else {
                path += text[at++];
            }
        }
        // A broken command must not swallow the one after it.
        if (!complete) {
            ++start;
            continue;
        }
        if (!path.empty()) paths.push_back(std::move(path));
        start = at + kOpenEnd.size();
    }
    return paths;
}

std::string FilesNotOpenedText(const std::vector<FileNotOpened>& files, std::size_t mostLines) {
    if (files.empty()) return {};
    if (files.size() == 1) return PathDisplayText(files.front().message);
    std::string text;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i == mostLines) return text + FormatMessage(kMsgMoreFilesNotOpened, std::to_string(files.size() - i));
        const FileNotOpened& file = files[i];
        const bool named = file.message.find(file.path) != std::string::npos;
        text += PathDisplayText(named ? file.message : file.path + ": " + file.message) + '\n';
    }
    text.pop_back();
    return text;
}

}  // namespace tallowmark
