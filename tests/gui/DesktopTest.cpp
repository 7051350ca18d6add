// Opening from the desktop and Delete on Restart.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <thread>
#ifndef _WIN32
#include <pwd.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "GuiTestSupport.h"
#include "actions/DeleteOnRestart.h"
#include "platform/PrivateFolder.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/CommandIds.h"
#include "shell/ShellCommands.h"
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

// A start waits for the instance to take its files: this one goes on serving meanwhile.
bool Finishes(QProcess& start) {
    return WaitUntil([&start] { return start.state() == QProcess::NotRunning; }, 20000);
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

// Hands `paths` over as a start does, from another thread while this one serves.
// Runs the event loop as the program's own runs, not at the pace of QTest's waiting,
// until `done` holds or the time is up.
bool Serve(const std::function<bool()>& done, int milliseconds = 20000) {
    QEventLoop serving;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &serving, [&] {
        if (done()) serving.quit();
    });
    check.start(1);
    QTimer::singleShot(milliseconds, &serving, &QEventLoop::quit);
    serving.exec();
    return done();
}

// Hands `paths` over as a start does, from another thread while this one serves.
OpenChannel::Role HandOver(const std::vector<std::string>& paths) {
    std::atomic<bool> finished{false};
    OpenChannel::Role role = OpenChannel::Role::Alone;
    std::thread start([&] {
        role = OpenChannel(ChannelName()).Claim(true, paths);
        finished = true;
    });
    Serve([&] { return finished.load(); });
    start.join();
    return role;
}

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
    ASSERT_TRUE(Finishes(*single));
    EXPECT_EQ(single->exitCode(), 0);
    EXPECT_TRUE(WaitUntil([this] { return Frame().Frames().size() == 1; }));

    const auto three = StartDde(paths.mid(1));
    ASSERT_TRUE(Finishes(*three));
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

// A flood of starts naming files that are missing: their failures are shown one box at a
// time, never a box inside another's event loop, and the channel goes on taking files.
TEST_F(GuiTest, AFloodOfFailingFilesNeverNestsTheirMessages) {
    int showing = 0, deepest = 0;
    QStringList shown;
    Prompts().onMessage = [&] {
        deepest = std::max(deepest, ++showing);
        shown += Prompts().messages.back().text;
        QTest::qWait(20);  // a message box runs the event loop while it shows
        --showing;
    };
    // A name relative to this instance's folder is none of another process's files.
    const QString folder = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(m_files.Root().string()));
    WriteIndex("relative.dat", OneUrlIndex());
    std::vector<std::unique_ptr<QLocalSocket>> starts;
    constexpr int kStarts = 20;
    for (int i = 0; i <= kStarts; ++i) {
        const std::string path = i < kStarts ? m_files.Path("missing" + std::to_string(i) + ".dat") : "relative.dat";
        starts.push_back(std::make_unique<QLocalSocket>());
        starts.back()->connectToServer(ChannelName());
        ASSERT_TRUE(starts.back()->waitForConnected(5000));
        starts.back()->write(QByteArray::fromStdString(OpenCommand(path)));
        starts.back()->disconnectFromServer();
    }
    EXPECT_TRUE(WaitUntil([&] { return shown.join('\n').count(QStringLiteral(" was not found.")) == kStarts; }));
    EXPECT_EQ(deepest, 1);
    for (int i = 0; i < kStarts; ++i)
        EXPECT_TRUE(
            shown.join('\n').contains(QString::fromStdString(m_files.Path("missing" + std::to_string(i) + ".dat"))));

    EXPECT_EQ(HandOver({WriteIndex("one.dat", OneUrlIndex()).toStdString()}), OpenChannel::Role::Delivered);
    EXPECT_TRUE(WaitUntil([this] { return Frame().Frames().size() == 1; }));
    QDir::setCurrent(folder);
    EXPECT_EQ(Titles(Frame()), std::vector<QString>{"one.dat"});
}

// Connections that send nothing give their place up at once: a start that comes after a
// hundred of them has its file open within a second.
TEST_F(GuiTest, IdleConnectionsDoNotHoldAHandOverBack) {
    const std::string path = WriteIndex("one.dat", OneUrlIndex()).toStdString();
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 100; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(ChannelName());
    }
    const auto allConnected = [&idle] {
        return std::all_of(idle.begin(), idle.end(),
                           [](const auto& socket) { return socket->state() == QLocalSocket::ConnectedState; });
    };
    ASSERT_TRUE(Serve(allConnected, 5000));
    QElapsedTimer handOver;
    handOver.start();
    EXPECT_EQ(HandOver({path}), OpenChannel::Role::Delivered);
    EXPECT_TRUE(Serve([this] { return Frame().Frames().size() == 1; }, 1000));
    EXPECT_LT(handOver.elapsed(), 1000);
}

#ifndef _WIN32
ino_t InodeOf(const QString& path) {
    struct stat status {};
    return ::stat(path.toLocal8Bit().constData(), &status) == 0 ? status.st_ino : 0;
}

// While the instance is busy (this thread runs no events), a start finds its queue full.
// That is no crash: the start waits, the instance keeps its channel, and the files reach
// its window once it is free again.
TEST_F(GuiTest, ABusyInstanceWithAFullQueueKeepsItsChannel) {
    const std::string path = WriteIndex("one.dat", OneUrlIndex()).toStdString();
    const ino_t serving = InodeOf(ChannelName());
    std::vector<int> queued;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = ChannelName().toLocal8Bit();
    std::memcpy(address.sun_path, name.constData(), std::min<std::size_t>(name.size(), sizeof address.sun_path - 1));
    for (int i = 0; i < 1000; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            break;
        }
        queued.push_back(fd);
    }
    ASSERT_LT(queued.size(), 1000u) << "the queue never filled";

    std::atomic<bool> done{false};
    OpenChannel::Role role = OpenChannel::Role::Alone;
    std::thread start([&] {
        role = OpenChannel(ChannelName()).Claim(true, {path});
        done = true;
    });
    // Longer than a start waits for an answer before it gives up on connecting.
    const auto busyUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
    while (std::chrono::steady_clock::now() < busyUntil && !done && InodeOf(ChannelName()) == serving)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(InodeOf(ChannelName()), serving) << "another server took the channel";
    for (const int fd : queued) ::close(fd);
    Serve([&] { return done.load(); });
    start.join();
    EXPECT_EQ(role, OpenChannel::Role::Delivered);
    EXPECT_TRUE(WaitUntil([this] { return Frame().Frames().size() == 1; }));
}

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
        ASSERT_TRUE(Finishes(*start));
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
