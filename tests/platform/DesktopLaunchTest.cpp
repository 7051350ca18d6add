#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/DesktopLaunch.h"
#include "platform/TextEditor.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

namespace fs = std::filesystem;
using platform::LaunchResult;

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// A desktop of stand-in applications in a throwaway folder. Each stand-in is a script
// that writes its argument count and arguments to NAME.args. The launches run in a child
// process that starts with this desktop's environment, as a new session would: the
// desktop's libraries read it only once.
class StandInDesktop {
public:
    StandInDesktop() {
        // The system's type database, but none of the system's applications.
        fs::create_directories(m_system);
        fs::create_directory_symlink("/usr/share/mime", m_system / "mime");
        fs::create_directories(m_bin);
    }

    fs::path Root() const { return m_dir.Root(); }
    fs::path Bin() const { return m_bin; }
    fs::path Applications() const { return m_dir.Root() / "data" / "applications"; }

    void WriteStandIn(const fs::path& program) {
        const fs::path record = m_dir.Root() / (program.filename().string() + ".args");
        WriteText(program, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + record.string() + "'\n");
        fs::permissions(program, fs::perms::owner_all);
    }
    // Desktop entry `entry` (a path below the applications folder) starting stand-in
    // `name` with `fieldCode` for the file, for the MIME types `types`.
    void Register(const std::string& entry, const std::string& name, const std::string& fieldCode,
                  const std::string& types, const std::string& extra = {}) {
        const fs::path program = m_dir.Root() / "apps" / name;
        WriteStandIn(program);
        WriteText(Applications() / entry, "[Desktop Entry]\nType=Application\nName=" + name +
                                              "\nExec=" + program.string() + " " + fieldCode + "\nMimeType=" + types +
                                              "\n" + extra);
    }
    void MakeDefault(const std::string& type, const std::string& ids) { m_defaults += type + "=" + ids + "\n"; }

    LaunchResult Run(const std::function<LaunchResult()>& launch) {
        WriteText(m_dir.Root() / "config" / "mimeapps.list", "[Default Applications]\n" + m_defaults);
        const pid_t child = ::fork();
        if (child == 0) {
            const std::string root = m_dir.Root().string();
            ::setenv("HOME", root.c_str(), 1);
            ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
            ::setenv("XDG_DATA_DIRS", m_system.c_str(), 1);
            ::setenv("XDG_CONFIG_DIRS", (root + "/no-system-config").c_str(), 1);
            ::unsetenv("XDG_CURRENT_DESKTOP");
            ::setenv("PATH", m_bin.c_str(), 1);
            ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
            ::_exit(static_cast<int>(launch()));
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return LaunchResult{-1};
        return LaunchResult{WEXITSTATUS(status)};
    }

    // The arguments stand-in `name` was started with, once it has written them all.
    std::vector<std::string> Arguments(const std::string& name) {
        const fs::path record = m_dir.Root() / (name + ".args");
        for (int attempt = 0; attempt < 400; ++attempt) {
            std::vector<std::string> lines;
            {
                std::ifstream in(record);
                for (std::string line; std::getline(in, line);) lines.push_back(line);
            }
            if (!lines.empty() && lines.size() == std::stoul(lines[0]) + 1) {
                fs::remove(record);
                return {lines.begin() + 1, lines.end()};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return {};
    }

private:
    testing::TempDir m_dir;
    fs::path m_system = m_dir.Root() / "system";
    fs::path m_bin = m_dir.Root() / "bin";
    std::string m_defaults;
};

TEST(DesktopLaunch, TheDefaultApplicationGetsTheFileOrTheAddressAsOneArgument) {
    StandInDesktop desktop;
    desktop.Register("viewer.desktop", "viewer", "%f", "image/vnd.microsoft.icon;");
    desktop.Register("browser.desktop", "browser", "%u", "x-scheme-handler/https;x-scheme-handler/mailto;");
    desktop.MakeDefault("image/vnd.microsoft.icon", "viewer.desktop");
    desktop.MakeDefault("x-scheme-handler/https", "browser.desktop");
    desktop.MakeDefault("x-scheme-handler/mailto", "browser.desktop");
    const fs::path icon = desktop.Root() / "my cache" / "ENG3X4ZR" / "it's \"4f1880\"[1].ico";
    WriteText(icon, std::string("\0\0\1\0\1\0", 6));

    const LaunchResult opened = desktop.Run([&] { return platform::OpenWithDefaultApplication(icon.string()); });
    if (opened == LaunchResult::Unavailable) GTEST_SKIP() << "built without GIO";
    EXPECT_EQ(opened, LaunchResult::Started);
    EXPECT_EQ(desktop.Arguments("viewer"), std::vector<std::string>{icon.string()});
    for (const std::string address : {"https://www.example.org/", "mailto:support@example.org"}) {
        EXPECT_EQ(desktop.Run([&] { return platform::OpenWithDefaultApplication(address); }), LaunchResult::Started);
        EXPECT_EQ(desktop.Arguments("browser"), std::vector<std::string>{address});
    }

    // A type that nothing here opens.
    const fs::path log = desktop.Root() / "CALFBAQS.log";
    WriteText(log, "log\n");
    EXPECT_EQ(desktop.Run([&] { return platform::OpenWithDefaultApplication(log.string()); }),
              LaunchResult::NoApplication);
}

TEST(DesktopLaunch, TheTextEditorIsTheDesktopsOneElseACommonOneOnThePathNeverThroughAShell) {
    StandInDesktop desktop;
    // The first default is not installed; the second lives in a subfolder.
    desktop.Register("gone.desktop", "gone", "%F", "text/plain;", "TryExec=/nonexistent/gone\n");
    desktop.Register("tools/editor.desktop", "editor", "%F", "text/plain;");
    desktop.MakeDefault("text/plain", "gone.desktop;tools-editor.desktop;");
    const fs::path shellRan = desktop.Root() / "shell-ran";
    const fs::path notes = desktop.Root() / ("a \"b\"; touch " + shellRan.string() + ".txt");
    WriteText(notes, "notes\n");
    auto edit = [&] { return platform::OpenInTextEditor(notes.string()); };

    EXPECT_EQ(desktop.Run(edit), LaunchResult::Started);
    EXPECT_EQ(desktop.Arguments("editor"), std::vector<std::string>{notes.string()});

    // The desktop's editor needs a terminal, and there is none; then there is no editor
    // of the desktop's at all.
    desktop.WriteStandIn(desktop.Bin() / "gedit");
    desktop.Register("tools/editor.desktop", "editor", "%F", "text/plain;", "Terminal=true\n");
    EXPECT_EQ(desktop.Run(edit), LaunchResult::Started);
    EXPECT_EQ(desktop.Arguments("gedit"), std::vector<std::string>{notes.string()});
    fs::remove_all(desktop.Applications());
    EXPECT_EQ(desktop.Run(edit), LaunchResult::Started);
    EXPECT_EQ(desktop.Arguments("gedit"), std::vector<std::string>{notes.string()});

    fs::remove(desktop.Bin() / "gedit");
    EXPECT_EQ(desktop.Run(edit), LaunchResult::NoApplication);
    EXPECT_FALSE(fs::exists(shellRan));
}

}  // namespace
}  // namespace tallowmark
#endif
