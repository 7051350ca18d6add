#include <gtest/gtest.h>

#ifndef _WIN32
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/TextEditor.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// A stand-in editor that writes its argument count and arguments to `record`.
void WriteFakeEditor(const fs::path& program, const fs::path& record) {
    WriteText(program, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + record.string() + "'\n");
    fs::permissions(program, fs::perms::owner_all);
}

// The arguments the fake editor was given, once it has written them all.
std::vector<std::string> WaitForArguments(const fs::path& record) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::ifstream in(record);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        if (!lines.empty() && lines.size() == std::stoul(lines[0]) + 1) return {lines.begin() + 1, lines.end()};
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return {};
}

struct FakeDesktop {
    testing::TempDir dir;
    fs::path bin = dir.Root() / "bin";
    fs::path registered = bin / "my editor";
    platform::DesktopPlaces places{
        {(dir.Root() / "config").string()}, {(dir.Root() / "data").string()}, {}, {bin.string()}};

    FakeDesktop() {
        WriteFakeEditor(registered, dir.Root() / "opened");
        WriteFakeEditor(bin / "gedit", dir.Root() / "opened");
        // A registered editor that is not installed and one that needs a terminal come first.
        WriteText(dir.Root() / "config" / "mimeapps.list",
                  "[Added Associations]\ntext/plain=other.desktop;\n"
                  "[Default Applications]\ntext/plain=gone.desktop;vim.desktop;my.desktop;\n");
        WriteText(dir.Root() / "data" / "applications" / "vim.desktop",
                  "[Desktop Entry]\nExec=gedit %F\nTerminal=true\n");
        WriteText(dir.Root() / "data" / "applications" / "my.desktop",
                  "[Desktop Entry]\nName=Mine\nExec=\"" + registered.string() + "\" --new-window %U %i\n");
    }
};

TEST(TextEditor, RegisteredEditorElseACommonOneOnThePathWithThePathAsOneArgument) {
    FakeDesktop desktop;
    const std::string path = "/tmp/my cache/A B/page[1] \"x\" $HOME.htm";
    EXPECT_EQ(platform::TextEditorCommand(path, desktop.places),
              (std::vector<std::string>{desktop.registered.string(), "--new-window", path}));

    fs::remove(desktop.dir.Root() / "config" / "mimeapps.list");
    EXPECT_EQ(platform::TextEditorCommand(path, desktop.places),
              (std::vector<std::string>{(desktop.bin / "gedit").string(), path}));

    desktop.places.searchPath.clear();
    EXPECT_TRUE(platform::TextEditorCommand(path, desktop.places).empty());
}

TEST(TextEditor, StartsTheEditorWithoutAShell) {
    FakeDesktop desktop;
    setenv("XDG_CONFIG_HOME", desktop.places.configFolders[0].c_str(), 1);
    setenv("XDG_DATA_HOME", desktop.places.dataFolders[0].c_str(), 1);
    setenv("XDG_CONFIG_DIRS", "/nonexistent", 1);
    setenv("XDG_DATA_DIRS", "/nonexistent", 1);
    setenv("PATH", desktop.bin.c_str(), 1);
    const std::string path = "/tmp/a b; touch /tmp/tallowmark-shell-ran.htm";
    ASSERT_TRUE(platform::OpenInTextEditor(path));
    EXPECT_EQ(WaitForArguments(desktop.dir.Root() / "opened"), (std::vector<std::string>{"--new-window", path}));
    EXPECT_FALSE(fs::exists("/tmp/tallowmark-shell-ran.htm"));
}

}  // namespace
}  // namespace tallowmark
#endif
