#include "shell/TallowmarkApp.h"

#include <QSettings>

#include "model/TallowmarkDoc.h"
#include "model/Version.h"
#include "platform/SystemInfo.h"
#include "shell/AppIcons.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/UserPrompts.h"

namespace tallowmark {

namespace {
constexpr const char* kOpenFilter = "index.dat Files (index.dat);;All Files (*)";
}  // namespace

TallowmarkApp::TallowmarkApp(int& argc, char** argv)
    : QApplication(argc, argv), m_dwPlatformId(platform::PlatformId()), m_pPrompts(std::make_unique<UserPrompts>()) {
    setOrganizationName(QStringLiteral("Brackwater"));
    setApplicationName(QStringLiteral("Tallowmark"));
    setApplicationVersion(QString::fromLatin1(kProductVersion));
    setWindowIcon(ApplicationIcon());
}

TallowmarkApp::~TallowmarkApp() { ExitInstance(); }

TallowmarkApp* TallowmarkApp::Instance() { return static_cast<TallowmarkApp*>(QCoreApplication::instance()); }

void TallowmarkApp::SetPrompts(std::unique_ptr<UserPrompts> prompts) { m_pPrompts = std::move(prompts); }

bool TallowmarkApp::InitInstance() {
    LoadRecentFiles();
    m_defaults.Load();
    m_pMainFrame = std::make_unique<MainFrame>();
    m_pMainFrame->show();
    return true;
}

void TallowmarkApp::ExitInstance() {
    if (!m_pMainFrame) return;
    SaveRecentFiles();
    m_pMainFrame.reset();
}

void TallowmarkApp::LoadRecentFiles() {
    QSettings settings;
    std::vector<std::string> paths;
    for (std::size_t i = 1; i <= m_recentFiles.Capacity(); ++i) {
        const QString path = settings.value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
        if (!path.isEmpty()) paths.push_back(path.toStdString());
    }
    m_recentFiles.Assign(paths);
}

void TallowmarkApp::SaveRecentFiles() const {
    QSettings settings;
    settings.remove(QStringLiteral("Recent File List"));
    const auto& paths = m_recentFiles.Paths();
    for (std::size_t i = 0; i < paths.size(); ++i)
        settings.setValue(QStringLiteral("Recent File List/File%1").arg(i + 1), QString::fromStdString(paths[i]));
}

TallowmarkDoc* TallowmarkApp::OpenDocumentFile(const QString& path) {
    if (!m_pMainFrame) return nullptr;
    // Only a newly read document enters the recent-file list; an open one is just activated.
    const bool alreadyOpen = m_pMainFrame->FindOpenDocument(path) != nullptr;
    TallowmarkDoc* document = m_pMainFrame->OpenDocumentFile(path);
    if (document && !alreadyOpen) m_recentFiles.Add(document->PathName());
    m_pMainFrame->RebuildMenus();
    return document;
}

void TallowmarkApp::OnFileOpen() {
    const QString path = m_pPrompts->AskOpenPath(m_pMainFrame.get(), QString::fromLatin1(kOpenFilter));
    if (path.isEmpty()) return;
    TallowmarkDoc* document = OpenDocumentFile(path);
    if (!document) return;
    document->SetTitle(document->PathName());
    m_pMainFrame->UpdateCaptions();
}

void TallowmarkApp::OpenRecentFile(std::size_t index) {
    if (index >= m_recentFiles.Paths().size()) return;
    const std::string path = m_recentFiles.Paths()[index];
    if (!OpenDocumentFile(QString::fromStdString(path))) {
        m_recentFiles.Remove(index);
        m_pMainFrame->RebuildMenus();
    }
}

bool TallowmarkApp::OnCommand(int id) {
    if (id >= cmd::RecentFirst && id <= cmd::RecentLast) {
        OpenRecentFile(static_cast<std::size_t>(id - cmd::RecentFirst));
        return true;
    }
    switch (id) {
        case cmd::FileOpen: OnFileOpen(); return true;
        case cmd::AppExit:
            if (m_pMainFrame) m_pMainFrame->close();
            return true;
        case cmd::AppAbout:
            m_pPrompts->Message(m_pMainFrame.get(), UserPrompts::Icon::Information,
                                QStringLiteral("%1 %2\nA viewer for Windows cache index files (index.dat).")
                                    .arg(QString::fromLatin1(kProductName), QString::fromLatin1(kProductVersion)));
            return true;
        default: return false;
    }
}

std::optional<CommandState> TallowmarkApp::OnUpdateCommand(int id) {
    if (id >= cmd::RecentFirst && id <= cmd::RecentLast)
        return CommandState{static_cast<std::size_t>(id - cmd::RecentFirst) < m_recentFiles.Paths().size(), {}};
    switch (id) {
        case cmd::FileOpen:
        case cmd::AppExit:
        case cmd::AppAbout: return CommandState{};
        default: return std::nullopt;
    }
}

}  // namespace tallowmark
