#include "shell/qt/TallowmarkApp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QSettings>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <utility>

#include "discovery/ImageFileSystems.h"
#include "discovery/qt/FindFilesDlg.h"
#include "discovery/qt/OpenImageDlg.h"
#include "forensic/DiskImage.h"
#include "platform/NativePath.h"
#include "model/TallowmarkDoc.h"
#include "model/Version.h"
#include "presentation/AnsiText.h"
#include "platform/BootDeletion.h"
#include "platform/CommandLine.h"
#include "platform/MemoryLimit.h"
#include "platform/PrivateFolder.h"
#include "platform/ShellRegistration.h"
#include "platform/SystemInfo.h"
#include "platform/Terminal.h"
#include "shell/qt/AboutDlg.h"
#include "shell/qt/AppIcons.h"
#include "shell/CommandIds.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/OpenChannel.h"
#include "shell/ShellCommands.h"
#include "shell/qt/UserPrompts.h"

namespace tallowmark {

namespace {
constexpr const char* kOpenFilter = "index.dat Files (index.dat);;All Files (*)";
constexpr const char* kLastFolderKey = "Settings/LastFolder";  // where File Open starts
constexpr const char* kImageFilter = "Disk Images (*.dd *.raw *.img *.001 *.E01 *.e01);;All Files (*)";
constexpr const char* kLastImageFolderKey = "Settings/LastImageFolder";  // where Open Image starts

// While Qt starts it looks into the session's runtime folder, and where the session has
// none of the user's own it makes one in the shared temporary folder. There it is shown
// the program's private folder instead, until the application object stands.
struct LentRuntimeFolder {
    bool lent = false;
    std::optional<QByteArray> before;
};
LentRuntimeFolder g_lentRuntimeFolder;

int& LendRuntimeFolder(int& argc) {
#ifndef Q_OS_WIN
    if (platform::IsPrivateFolder(platform::SessionRuntimeFolder())) return argc;
    const std::string folder = OpenChannel::PrivateFolder();
    if (folder.empty()) return argc;
    g_lentRuntimeFolder = {true, qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")
                                     ? std::optional<QByteArray>(qgetenv("XDG_RUNTIME_DIR"))
                                     : std::nullopt};
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(folder));
#endif
    return argc;
}

// Programs the user starts from here get the session's own value.
void ReturnRuntimeFolder() {
    if (!std::exchange(g_lentRuntimeFolder.lent, false)) return;
    if (g_lentRuntimeFolder.before) qputenv("XDG_RUNTIME_DIR", *g_lentRuntimeFolder.before);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}
}  // namespace

TallowmarkApp::TallowmarkApp(int& argc, char** argv)
    : QApplication(LendRuntimeFolder(argc), argv),
      m_dwPlatformId(platform::PlatformId()),
      m_pPrompts(std::make_unique<UserPrompts>()) {
    ReturnRuntimeFolder();
    platform::GiveBackLargeBlocks();
    setOrganizationName(QStringLiteral("Brackwater"));
    setApplicationName(QStringLiteral("Tallowmark"));
    setApplicationVersion(QString::fromLatin1(kProductVersion));
    setWindowIcon(ApplicationIcon());
    // The bytes the system gave, not Qt's decoding of them: a name need not be UTF-8.
    m_commandLine = platform::CommandLineArguments(argc, argv);
    m_strOpenChannelName = OpenChannel::DefaultName();
    m_strRegistrationRoot = platform::UserRegistrationRoot();
    m_strBootDeletionRoot = platform::SystemBootDeletionRoot();
}

TallowmarkApp::~TallowmarkApp() { ExitInstance(); }

void TallowmarkApp::SetPrompts(std::unique_ptr<UserPrompts> prompts) {
    if (m_pMainFrame) throw std::logic_error("the prompts are set before the main window is made");
    m_pPrompts = std::move(prompts);
}

void TallowmarkApp::SetCommandLine(const QStringList& arguments) {
    m_commandLine.clear();
    for (qsizetype i = 1; i < arguments.size(); ++i) m_commandLine.push_back(arguments[i].toStdString());
}

bool TallowmarkApp::InitInstance() {
    const CommandLine commandLine = ParseCommandLine(m_commandLine);
    // A file named alone stays unopened; a person at a terminal is told how to open it.
    if (const std::string hint = NamedFilesHint(commandLine); !hint.empty() && platform::StandardErrorIsTerminal())
        std::fprintf(stderr, "%s\n", hint.c_str());
    m_pOpenChannel = std::make_unique<OpenChannel>(m_strOpenChannelName);
    if (m_pOpenChannel->Claim(commandLine.dde, commandLine.paths) == OpenChannel::Role::Delivered) {
        m_pOpenChannel.reset();
        return false;
    }
    connect(m_pOpenChannel.get(), &OpenChannel::FilesHandedOver, this, &TallowmarkApp::OnShellOpen);

    LoadRecentFiles();
    m_defaults.Load();
    m_pMainFrame = std::make_unique<MainFrame>(
        ShellServices{*m_pPrompts, m_recentFiles, m_defaults, m_strBootDeletionRoot}, *this);
    RegisterShellFileTypes();
    // The window stays hidden until the files handed over are open; its layout is
    // settled first so that their windows get their proper size.
    if (!commandLine.paths.empty()) m_pMainFrame->layout()->activate();
    OpenHandedFiles(commandLine.paths);
    m_pMainFrame->ShowAsKept();
    return true;
}

void TallowmarkApp::RegisterShellFileTypes() const {
    // Failures are silent: the program works the same without the desktop knowing it.
    if (m_strRegistrationRoot.empty()) return;
    if (!platform::MayRegisterIn(m_strRegistrationRoot, platform::HomeFolder())) return;
    // Installed by a package for everyone: the user needs no copies of their own.
    const std::string executable = QCoreApplication::applicationFilePath().toStdString();
    if (platform::IsRegisteredSystemWide(executable, platform::SystemDataFolders())) return;
    platform::DocumentType type;
    QFile icon(QStringLiteral(":/icons/tallowmark.svg"));
    if (icon.open(QIODevice::ReadOnly)) type.iconSvg = icon.readAll().toStdString();
    const auto result = platform::RegisterDocumentType(executable, m_strRegistrationRoot, type);
    if (result.changed) platform::RefreshDesktopDatabases(m_strRegistrationRoot);
}

void TallowmarkApp::OpenHandedFiles(const std::vector<std::string>& paths) {
    std::vector<FileNotOpened> failed;
    for (const std::string& path : paths) {
        std::string failure;
        if (!m_pMainFrame->Documents().OpenDocumentFile(path, failure)) failed.push_back({path, failure});
    }
    if (!failed.empty())
        m_pPrompts->Message(m_pMainFrame.get(), UserPrompts::Icon::Warning,
                            QString::fromStdString(FilesNotOpenedText(failed)));
}

void TallowmarkApp::OnShellOpen(const std::vector<std::string>& paths) {
    if (!m_pMainFrame) return;
    // Files handed over while another loads wait for it: its window is not made yet.
    if (m_pMainFrame->Documents().IsLoading()) {
        QTimer::singleShot(100, m_pMainFrame.get(), [this, paths] { OnShellOpen(paths); });
        return;
    }
    OpenHandedFiles(paths);
    if (m_pMainFrame->isMinimized()) m_pMainFrame->showNormal();
    m_pMainFrame->show();
    m_pMainFrame->raise();
    m_pMainFrame->activateWindow();
}

void TallowmarkApp::ExitInstance() {
    m_pOpenChannel.reset();
    if (!m_pMainFrame) return;
    SaveRecentFiles();
    m_pMainFrame->SaveSettings();
    m_pMainFrame.reset();
}

void TallowmarkApp::LoadRecentFiles() {
    QSettings settings;
    std::vector<std::string> paths;
    for (std::size_t i = 1; i <= m_recentFiles.Capacity(); ++i) {
        // A name that is not valid UTF-8 was kept as its bytes; every other one as text.
        const QVariant value = settings.value(QStringLiteral("Recent File List/File%1").arg(i));
        const std::string path = value.typeId() == QMetaType::QByteArray ? value.toByteArray().toStdString()
                                                                         : value.toString().toStdString();
        if (!path.empty()) paths.push_back(NativeSeparators(path));
    }
    m_recentFiles.Assign(paths);
}

void TallowmarkApp::SaveRecentFiles() const {
    QSettings settings;
    settings.remove(QStringLiteral("Recent File List"));
    const auto& paths = m_recentFiles.Paths();
    for (std::size_t i = 0; i < paths.size(); ++i)
        settings.setValue(QStringLiteral("Recent File List/File%1").arg(i + 1),
                          IsValidUtf8(paths[i]) ? QVariant(QString::fromStdString(paths[i]))
                                                : QVariant(QByteArray::fromStdString(paths[i])));
}

TallowmarkDoc* TallowmarkApp::OpenDocumentFile(const std::string& path) {
    return m_pMainFrame ? m_pMainFrame->Documents().OpenDocumentFile(path) : nullptr;
}

QStringList TallowmarkApp::AskOpenPathsFrom(const char* filter, const char* folderKey) {
    QSettings settings;
    const QStringList paths = m_pPrompts->AskOpenPaths(m_pMainFrame.get(), QString::fromLatin1(filter),
                                                       settings.value(QLatin1String(folderKey)).toString());
    if (!paths.isEmpty())
        settings.setValue(QLatin1String(folderKey), QDir::toNativeSeparators(QFileInfo(paths.front()).absolutePath()));
    return paths;
}

// Each file picked is opened as if it were picked alone, titled with its full path.
void TallowmarkApp::OnFileOpen() {
    for (const QString& path : AskOpenPathsFrom(kOpenFilter, kLastFolderKey)) {
        TallowmarkDoc* document = OpenDocumentFile(QFile::encodeName(path).toStdString());
        if (!document) continue;
        document->SetTitle(document->PathName());
        m_pMainFrame->UpdateCaptions();
    }
}

// Opens every file picked in the Find Files dialog, each titled with its full path before
// the next is read; one that fails shows its message and the next is opened.
void TallowmarkApp::OnFindFiles() {
    FindFilesDlg dialog(*m_pPrompts, m_pMainFrame.get());
    for (const std::string& path : m_pPrompts->AskFoundFiles(dialog)) {
        TallowmarkDoc* document = OpenDocumentFile(path);
        if (!document) continue;
        document->SetTitle(document->PathName());
        m_pMainFrame->UpdateCaptions();
    }
}

// Opens the image the user names, runs the Open Image dialog over its file systems and
// opens every file picked, read from the image; an image that cannot be read says why.
void TallowmarkApp::OnOpenImage() {
    // One image at a time: of a split set, the first segment picked names it.
    const QStringList picked = AskOpenPathsFrom(kImageFilter, kLastImageFolderKey);
    if (picked.isEmpty()) return;
    const QString& path = picked.front();
    const std::string imagePath = NativeSeparators(QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    OpenedImage image = OpenImage(imagePath);
    ImageFileSystems::Opened opened{image.outcome, nullptr};
    if (image.reader) opened = ImageFileSystems::Open(std::move(image.reader), imagePath);
    QApplication::restoreOverrideCursor();
    if (!opened.fileSystems) {
        m_pPrompts->Message(m_pMainFrame.get(), UserPrompts::Icon::Warning, QString::fromStdString(opened.outcome.message));
        return;
    }
    OpenImageDlg dialog(*m_pPrompts, opened.fileSystems, m_pMainFrame.get());
    for (const FoundIndexFile& file : m_pPrompts->AskImageFiles(dialog))
        m_pMainFrame->Documents().OpenImageFile(opened.fileSystems, file);
}

void TallowmarkApp::OpenRecentFile(std::size_t index) {
    if (index >= m_recentFiles.Paths().size()) return;
    const std::string path = m_recentFiles.Paths()[index];
    if (!OpenDocumentFile(path)) {
        m_recentFiles.Remove(index);
        m_pMainFrame->RebuildMenus();
    }
}

std::unique_ptr<AboutDlg> TallowmarkApp::MakeAboutBox() {
    const auto open = [this](const QUrl& address) {
        if (m_pMainFrame) m_pMainFrame->Documents().OpenWithDefaultApplication(address);
    };
    return std::make_unique<AboutDlg>(*m_pPrompts, open, m_pMainFrame.get());
}

bool TallowmarkApp::OnCommand(int id) {
    if (id >= cmd::RecentFirst && id <= cmd::RecentLast) {
        OpenRecentFile(static_cast<std::size_t>(id - cmd::RecentFirst));
        return true;
    }
    switch (id) {
        case cmd::FileOpen: OnFileOpen(); return true;
        case cmd::FindFiles: OnFindFiles(); return true;
        case cmd::OpenImage:
            if (ReadsImageFileSystems()) OnOpenImage();
            return true;
        case cmd::AppExit:
            if (m_pMainFrame) m_pMainFrame->close();
            return true;
        case cmd::AppAbout: m_pPrompts->RunModal(*MakeAboutBox()); return true;
        default: return false;
    }
}

std::optional<CommandState> TallowmarkApp::OnUpdateCommand(int id) {
    if (id >= cmd::RecentFirst && id <= cmd::RecentLast)
        return CommandState{static_cast<std::size_t>(id - cmd::RecentFirst) < m_recentFiles.Paths().size(), {}};
    switch (id) {
        case cmd::FileOpen:
        case cmd::FindFiles:
        case cmd::AppExit:
        case cmd::AppAbout: return CommandState{};
        case cmd::OpenImage: return CommandState{ReadsImageFileSystems(), std::nullopt};
        default: return std::nullopt;
    }
}

namespace {
constexpr const char* kMsgCommandFailed = "The last command could not be completed (%1).";
bool g_bFailureShowing = false;  // one box at a time, should showing it fail as well
}  // namespace

bool TallowmarkApp::notify(QObject* receiver, QEvent* event) {
    QString cause;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        cause = QStringLiteral("not enough memory");
    } catch (const std::exception& error) {
        cause = QString::fromUtf8(error.what());
    } catch (...) {
        cause = QStringLiteral("unknown error");
    }
    qWarning("tallowmark: %s", qUtf8Printable(cause));
    if (!g_bFailureShowing) {
        g_bFailureShowing = true;
        // Shown once the failed event is over, not from inside it.
        QMetaObject::invokeMethod(
            this,
            [this, cause] {
                m_pPrompts->Message(m_pMainFrame.get(), UserPrompts::Icon::Critical,
                                    QString::fromLatin1(kMsgCommandFailed).arg(cause));
                g_bFailureShowing = false;
            },
            Qt::QueuedConnection);
    }
    return false;
}

}  // namespace tallowmark
