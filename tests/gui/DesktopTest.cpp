// Opening from the desktop and Delete on Restart.
#include <QAction>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#ifndef _WIN32
#include <pwd.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "GuiTestSupport.h"
#include "actions/DeleteOnRestart.h"
#include "platform/PrivateFolder.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/CommandIds.h"
#include "shell/qt/ChildFrame.h"
#include "shell/qt/OpenChannel.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark::gui_testing {
namespace {

using testing::IndexFileBuilder;

std::vector<std::uint8_t> OneUrlIndex() {
    IndexFileBuilder builder;
    builder.Hash(1).Url({.url = "http://one/"});
    return builder.Bytes();
}

QString ChannelName() { return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/tallowmark.system"); }

std::vector<QString> Titles(MainFrame& frame) {
    std::vector<QString> titles;
    for (ChildFrame* child : frame.Frames()) titles.push_back(child->windowTitle());
    return titles;
}

// Starts the desktop program as the file manager would.
std::unique_ptr<QProcess> StartDde(const QStringList& paths) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(TALLOWMARK_EXECUTABLE), QStringList{QStringLiteral("/dde")} + paths);
    return process;
}

bool WaitUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    return QTest::qWaitFor(done, milliseconds);
}

// The command line and channel name a test gives the application, put back when it ends,
// however it ends, so that the next test starts as usual.
class StartupScope {
public:
    explicit StartupScope(TallowmarkApp& app) : m_app(app), m_strChannel(ChannelName()) {}
    ~StartupScope() {
        m_app.SetCommandLine({QStringLiteral("tallowmark")});
        m_app.SetOpenChannelName(m_strChannel);
    }

private:
    TallowmarkApp& m_app;
    QString m_strChannel;
};

// What a crashed instance leaves: a socket file nobody listens on. (Windows pipes go
// with their process.)
void LeaveStaleSocket([[maybe_unused]] const QString& name) {
#ifndef _WIN32
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = name.toLocal8Bit();
    std::memcpy(address.sun_path, path.constData(), std::min<std::size_t>(path.size(), sizeof address.sun_path - 1));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
#endif
}

#ifndef _WIN32
// Starts the desktop program as the file manager would, with the path's bytes as they
// are (QProcess would pass them as UTF-8); returns its process id.
pid_t StartDdeWithBytes(const std::string& path) {
    std::string program = TALLOWMARK_EXECUTABLE, flag = "/dde", argument = path;
    char* argv[] = {program.data(), flag.data(), argument.data(), nullptr};
    pid_t child = -1;
    return ::posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ) == 0 ? child : -1;
}

bool ExitsWithZero(pid_t child) {
    int status = -1;
    bool ended = false;
    WaitUntil([&] { return ended = ended || ::waitpid(child, &status, WNOHANG) == child; }, 20000);
    return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Every name under `folder`, so that a test sees whether anything was added or taken.
std::set<std::string> Listing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        names.insert(entry.path().lexically_relative(folder).string());
    return names;
}

// Environment variables changed for one test, put back at its end.
class EnvironmentScope {
public:
    ~EnvironmentScope() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
            it->second ? qputenv(it->first, *it->second) : qunsetenv(it->first);
    }
    void Set(const char* name, const QByteArray& value) {
        Save(name);
        qputenv(name, value);
    }
    void Unset(const char* name) {
        Save(name);
        qunsetenv(name);
    }

private:
    void Save(const char* name) {
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    }
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};
#endif

TEST_F(GuiTest, DeleteOnRestartTicksOnlyTheScheduledFileAndAsksAfresh) {
    const QString first = WriteIndex("first.dat", OneUrlIndex());
    const QString second = WriteIndex("second.dat", OneUrlIndex());
    FileOpen(first);
    QAction* action = Frame().Action(cmd::DeleteOnRestart);
    EXPECT_EQ(MenuItems(0)[5], "&Delete on Restart");
    EXPECT_EQ(action->statusTip(), "Schedule the current file for deletion when the system restarts");
    EXPECT_EQ(action->toolTip(), "Schedule for deletion");
    EXPECT_TRUE(action->isEnabled());
    EXPECT_FALSE(action->isChecked());

    Frame().RouteCommand(cmd::DeleteOnRestart);
    EXPECT_TRUE(Prompts().messages.empty());
    MenuItems(0);
    EXPECT_FALSE(action->isEnabled());
    EXPECT_TRUE(action->isChecked());

    FileOpen(second);
    MenuItems(0);
    EXPECT_TRUE(action->isEnabled());
    EXPECT_FALSE(action->isChecked());

    // The system carried the request out: nothing remembered keeps the tick.
    FileOpen(first);
    std::filesystem::remove(m_files.Root() / "etc/tmpfiles.d/tallowmark-delete.conf");
    MenuItems(0);
    EXPECT_TRUE(action->isEnabled());
    EXPECT_FALSE(action->isChecked());
}

TEST_F(GuiTest, DeleteOnRestartThatFailsSaysSoWithTheStopIcon) {
    const QString path = WriteIndex("index.dat", OneUrlIndex());
    FileOpen(path);
    App().SetBootDeletionRoot(m_files.Path("nowhere"));
    Frame().RouteCommand(cmd::DeleteOnRestart);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_EQ(Prompts().messages[0].icon, UserPrompts::Icon::Critical);
    EXPECT_EQ(Prompts().messages[0].text.toStdString(),
              FormatMessage(kBootDeletionFailed, QFileInfo(path).canonicalFilePath().toStdString()));
    MenuItems(0);
    EXPECT_TRUE(Frame().Action(cmd::DeleteOnRestart)->isEnabled());
    EXPECT_FALSE(Frame().Action(cmd::DeleteOnRestart)->isChecked());
}

TEST_F(GuiTest, DdeStartOpensEachFileWhileAPathAloneOpensNothing) {
    StartupScope startup(App());
    const QString a = WriteIndex("a.dat", OneUrlIndex());
    const QString broken = WriteIndex("broken.dat", {'n', 'o'});
    const QString c = WriteIndex("c.dat", OneUrlIndex());
    App().ExitInstance();
    App().SetCommandLine({"tallowmark", a});
    ASSERT_TRUE(App().InitInstance());
    EXPECT_TRUE(Frame().Frames().empty());
    EXPECT_TRUE(Prompts().messages.empty());

    App().ExitInstance();
    App().SetCommandLine({"tallowmark", "-dde", a, broken, c});
    ASSERT_TRUE(App().InitInstance());
    App().SetCommandLine({"tallowmark"});
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(Titles(Frame()), (std::vector<QString>{"a.dat", "c.dat"}));
    EXPECT_GT(Frame().Frames().front()->width(), Frame().width() / 2) << "sized while the window was hidden";
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_EQ(Prompts().messages[0].text, "Unexpected file format.");
    EXPECT_EQ(App().RecentFiles().Paths(), (std::vector<std::string>{c.toStdString(), a.toStdString()}));

    App().ExitInstance();
    App().SetCommandLine({"tallowmark", "/dde", broken});
    ASSERT_TRUE(App().InitInstance());
    App().SetCommandLine({"tallowmark"});
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_TRUE(Frame().Frames().empty());
}

TEST_F(GuiTest, DdeStartsHandTheirFilesToTheRunningInstance) {
    // The instance that crashed before left its socket behind.
    App().ExitInstance();
    LeaveStaleSocket(ChannelName());
    ASSERT_TRUE(App().InitInstance());

    QStringList paths;
    for (const char* name : {"one.dat", "two.dat", "three.dat", "four.dat"})
        paths.push_back(WriteIndex(name, OneUrlIndex()));
    const auto single = StartDde({paths[0]});
    ASSERT_TRUE(single->waitForFinished(20000));
    EXPECT_EQ(single->exitCode(), 0);
    EXPECT_TRUE(WaitUntil([this] { return Frame().Frames().size() == 1; }));

    const auto three = StartDde(paths.mid(1));
    ASSERT_TRUE(three->waitForFinished(20000));
    EXPECT_EQ(three->exitCode(), 0);
    EXPECT_TRUE(WaitUntil([this] { return Frame().Frames().size() == 4; }));
    EXPECT_EQ(Titles(Frame()), (std::vector<QString>{"one.dat", "two.dat", "three.dat", "four.dat"}));
    EXPECT_EQ(App().RecentFiles().Paths().front(), paths[3].toStdString());

    // Junk on the channel changes nothing.
    QLocalSocket junk;
    junk.connectToServer(ChannelName());
    ASSERT_TRUE(junk.waitForConnected(5000));
    QByteArray request = "[open(\"" + paths[0].toUtf8();
    request.append('\0');
    request += "\")][open(\"\")]\xFF[print(\"x\")][open(\"" + paths[1].toUtf8();
    junk.write(request);
    junk.waitForBytesWritten(5000);
    junk.disconnectFromServer();
    EXPECT_FALSE(QTest::qWaitFor([this] { return Frame().Frames().size() != 4 || !Prompts().messages.empty(); }, 200));
    EXPECT_EQ(Frame().Frames().size(), 4u);
    EXPECT_TRUE(Prompts().messages.empty());
}

#ifndef _WIN32
TEST_F(GuiTest, WithoutARuntimeFolderTheChannelStaysOutOfTheSharedFolder) {
    // ssh, su and cron start programs without a runtime folder. Nothing goes into the
    // shared temporary folder, and names another user made there first change nothing.
    const std::string uid = std::to_string(::getuid());
    const std::vector<std::string> squatted = {
        std::string("runtime-") + ::getpwuid(::getuid())->pw_name + "/tallowmark.system",
        "tallowmark.system." + uid + ".lock/x"};
    const QString usualName = ChannelName();
    StartupScope startup(App());
    for (const bool squat : {false, true}) {
        testing::TempDir shared;
        if (squat)
            for (const std::string& name : squatted) std::filesystem::create_directories(shared.Root() / name);
        const std::set<std::string> before = Listing(shared.Root());
        EnvironmentScope environment;
        environment.Unset("XDG_RUNTIME_DIR");
        environment.Set("TMPDIR", QByteArray::fromStdString(shared.Root().string()));
        // The folder that the program (named "tallowmark") takes.
        const std::string folder = OpenChannel::PrivateFolder();
        ASSERT_EQ(folder, qgetenv("XDG_CACHE_HOME").toStdString() + "/tallowmark");
        App().ExitInstance();
        App().SetOpenChannelName(QString::fromStdString(folder) + "/tallowmark.system");
        ASSERT_TRUE(App().InitInstance());

        const auto start = StartDde({WriteIndex("one.dat", OneUrlIndex())});
        ASSERT_TRUE(start->waitForFinished(20000));
        EXPECT_EQ(start->exitCode(), 0);
        EXPECT_TRUE(WaitUntil([this] { return Frame().Frames().size() == 1; }));
        EXPECT_EQ(Listing(shared.Root()), before) << squat;
    }
    App().SetOpenChannelName(usualName);
}

TEST_F(GuiTest, ANameThatIsNotUtf8OpensFromTheChannelFindFilesAndTheRecentList) {
    const std::string first = m_files.Path("caf\xE9.dat"), second = m_files.Path("caf\xE8.dat");
    for (const std::string& path : {first, second}) testing::WriteFile(path, OneUrlIndex());
    ASSERT_TRUE(ExitsWithZero(StartDdeWithBytes(first)));
    ASSERT_TRUE(WaitUntil([this] { return Frame().Frames().size() == 1; }));
    EXPECT_EQ(Frame().ActiveView()->GetDocument().PathName(), first);
    EXPECT_EQ(Frame().ActiveChild()->windowTitle(), QStringLiteral(u"caf\uFFFD.dat"));

    // Another name that shows the same is another file.
    Prompts().foundFiles = {second};
    Frame().RouteCommand(cmd::FindFiles);
    ASSERT_EQ(Frame().Frames().size(), 2u);
    EXPECT_EQ(Frame().ActiveView()->GetDocument().PathName(), second);
    EXPECT_TRUE(Prompts().messages.empty());

    Restart();
    EXPECT_EQ(App().RecentFiles().Paths(), (std::vector<std::string>{second, first}));
    EXPECT_EQ(QSettings().value("Recent File List/File2").toByteArray().toStdString(), first);
    Frame().RouteCommand(cmd::RecentFirst + 1);
    ASSERT_EQ(Frame().Frames().size(), 1u);
    EXPECT_EQ(Frame().ActiveView()->GetDocument().PathName(), first);
}
#endif

TEST_F(GuiTest, TwoStartsAtOnceEndWithOneInstanceAnswering) {
    App().ExitInstance();
    const QString first = WriteIndex("first.dat", OneUrlIndex());
    const QString second = WriteIndex("second.dat", OneUrlIndex());
    const std::unique_ptr<QProcess> starts[] = {StartDde({first}), StartDde({second})};
    auto finished = [&starts] {
        return (starts[0]->state() == QProcess::NotRunning) + (starts[1]->state() == QProcess::NotRunning);
    };
    WaitUntil([&] { return finished() > 0; }, 20000);
    EXPECT_FALSE(QTest::qWaitFor([&] { return finished() > 1; }, 500));
    EXPECT_EQ(finished(), 1);
    // The one still running answers a third start.
    OpenChannel probe(ChannelName());
    EXPECT_EQ(probe.Claim(false, {}), OpenChannel::Role::Alone);
    for (const auto& start : starts) {
        if (start->state() == QProcess::NotRunning) {
            EXPECT_EQ(start->exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(start->exitCode(), 0);
        }
        start->kill();
        start->waitForFinished(5000);
    }
}

}  // namespace
}  // namespace tallowmark::gui_testing
