#pragma once
// Paths as the user's system writes them, and UTF-8 paths for std::filesystem.
// Qt and the C++ library hand out "C:/Users/..." on Windows; what the user reads and
// what the settings keep is "C:\Users\...".

#include <filesystem>
#include <string>
#include <string_view>

namespace tallowmark {

// Every forward slash becomes a backslash.
std::string WithWindowsSeparators(std::string_view path);

// The path with the running system's separators (backslashes on Windows; elsewhere a
// backslash is an ordinary character of a file name and the path is left as it is).
std::string NativeSeparators(std::string_view path);

// std::filesystem takes and gives narrow strings in the ANSI code page on Windows; these
// keep our UTF-8 intact on every system.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// The parts of `path` by the running system's rules, which split at "/" here and at "/"
// and "\" on Windows: its last part (the file's name), and everything before that (the
// folder holding it, with no separator at its end but that of a root).
std::string FileNameOf(std::string_view path);
std::string FolderOf(std::string_view path);

// `path` made absolute against the current folder, with "." and ".." parts resolved by
// name; its bytes otherwise kept as they are, whether or not they are valid UTF-8.
std::string AbsolutePath(std::string_view path);
// The path of the file itself, every link on the way resolved; empty when that can't be
// done (the file is gone, a folder can't be read).
std::string CanonicalPath(std::string_view path);

}  // namespace tallowmark
