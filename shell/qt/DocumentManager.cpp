#include "shell/qt/DocumentManager.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <map>

#include "discovery/ImageFileSystems.h"
#include "platform/NativePath.h"
#include "model/TallowmarkDoc.h"
#include "presentation/ListText.h"
#include "presentation/PathText.h"
#include "presentation/RecordCells.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/qt/ChildFrame.h"
#include "shell/qt/DocumentCommands.h"
#include "shell/qt/DocumentLoad.h"
#include "shell/RecentFileList.h"
#include "shell/qt/UserPrompts.h"
#include "shell/qt/ViewCommands.h"
#include "shell/qt/ViewingDefaults.h"
#include "shell/qt/WindowArrangement.h"

namespace tallowmark {

namespace {
constexpr const char* kNoApplication = "No application is registered to open %1.";
constexpr const char* kNoTextEditor = "No text editor was found to open %1.";
constexpr const char* kImageFileUnreadable = "%1 can no longer be read from the image.";
constexpr const char* kListWhatsThis =
    "The records of the index file, one row each. Press Enter or double-click a row for everything known "
    "about it; click a column title to sort by it.";

// The same file, however its path was written; the bytes as they are, UTF-8 or not.
std::string PathKey(const std::string& path) {
    const std::string canonical = CanonicalPath(path);
    return canonical.empty() ? AbsolutePath(path) : canonical;
}

QString TitleText(const TallowmarkDoc& document) { return QString::fromStdString(PathDisplayText(document.Title())); }
}  // namespace

DocumentManager::DocumentManager(QMdiArea& area, const ShellServices& services, QObject* parent)
    : QObject(parent), m_area(area), m_services(services) {}

DocumentManager::~DocumentManager() = default;

ChildFrame* DocumentManager::ActiveChild() const { return qobject_cast<ChildFrame*>(m_area.activeSubWindow()); }

TallowmarkView* DocumentManager::ActiveView() const {
    ChildFrame* child = ActiveChild();
    return child ? child->View() : nullptr;
}

std::vector<ChildFrame*> DocumentManager::Frames() const {
    std::vector<ChildFrame*> frames;
    for (QMdiSubWindow* window : m_area.subWindowList(QMdiArea::CreationOrder))
        if (auto* frame = qobject_cast<ChildFrame*>(window)) frames.push_back(frame);
    return frames;
}

std::vector<ChildFrame*> DocumentManager::FramesOf(const TallowmarkDoc& document) const {
    std::vector<ChildFrame*> frames;
    for (ChildFrame* frame : Frames())
        if (&frame->View()->GetDocument() == &document) frames.push_back(frame);
    return frames;
}

std::vector<std::string> DocumentManager::OpenDocumentPaths() const {
    std::vector<std::string> paths;
    for (ChildFrame* frame : Frames())
        for (std::string& input : frame->View()->GetDocument().InputsWith({})) paths.push_back(std::move(input));
    return paths;
}

TallowmarkDoc* DocumentManager::FindOpenDocument(const std::string& path) const {
    const std::string key = PathKey(path);
    for (ChildFrame* frame : Frames()) {
        TallowmarkDoc& open = frame->View()->GetDocument();
        if (!open.Origin() && PathKey(open.PathName()) == key) return &open;
    }
    return nullptr;
}

TallowmarkDoc* DocumentManager::OpenDocumentFile(const std::string& path) {
    std::string failure;
    TallowmarkDoc* opened = OpenDocumentFile(path, failure);
    if (!opened)
        m_services.prompts.Message(m_area.window(), UserPrompts::Icon::Warning, QString::fromStdString(failure));
    return opened;
}

TallowmarkDoc* DocumentManager::OpenDocumentFile(const std::string& path, std::string& failure) {
    TallowmarkDoc* opened = FindOpenDocument(path);
    if (opened) {
        m_area.setActiveSubWindow(FramesOf(*opened).front());
    } else {
        auto document = std::make_shared<TallowmarkDoc>();
        const std::string absolute = NativeSeparators(AbsolutePath(path));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_bLoading = true;
        const Outcome loaded = LoadWhilePainting(
            *document, absolute,
            [this, &absolute](std::uint64_t done, std::uint64_t total) {
                emit Loading(QString::fromStdString(OpeningText(absolute, done, total)),
                             total ? static_cast<int>(std::min(done, total) * 100 / total) : 0);
            },
            m_quietLoad);
        m_bLoading = false;
        emit LoadEnded();
        QApplication::restoreOverrideCursor();
        if (loaded) {
            CreateChildFrame(document);
            // Only a newly read document enters the recent-file list.
            m_services.recentFiles.Add(document->PathName());
            opened = document.get();
        } else {
            failure = loaded.message;
        }
    }
    emit DocumentsChanged();
    return opened;
}

TallowmarkDoc* DocumentManager::OpenImageFile(const std::shared_ptr<ImageFileSystems>& image,
                                             const FoundIndexFile& file) {
    const std::shared_ptr<const FileInImage> origin = OriginOf(image, file);
    const ImagePlace& place = origin->Place();
    for (ChildFrame* frame : Frames()) {
        TallowmarkDoc& open = frame->View()->GetDocument();
        const FileInImage* openOrigin = open.Origin();
        if (openOrigin && openOrigin->Place().image == place.image && openOrigin->Place().partition == place.partition &&
            openOrigin->Place().inode == place.inode && openOrigin->Place().path == place.path) {
            m_area.setActiveSubWindow(FramesOf(open).front());
            emit DocumentsChanged();
            return &open;
        }
    }
    std::string title = ImageSourceText(place.image, place.partition, place.path);
    if (file.state != FileState::Allocated) title += " (" + place.state + ")";
    auto document = std::make_shared<TallowmarkDoc>();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::unique_ptr<ByteSource> source = image->OpenFile(file);
    const Outcome loaded = source ? document->OpenSource(*source, ImageSourceText(place.image, place.partition, place.path))
                                  : Outcome::Failure(FormatMessage(kImageFileUnreadable, title));
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        m_services.prompts.Message(m_area.window(), UserPrompts::Icon::Warning, QString::fromStdString(loaded.message));
        emit DocumentsChanged();
        return nullptr;
    }
    document->SetTitle(title);
    document->SetOrigin(origin);
    CreateChildFrame(document);
    emit DocumentsChanged();
    return document.get();
}

std::string DocumentManager::CachedCopiesFolder() {
    if (!m_pCachedCopies) {
        // Made by the system with no access for anyone else, under a name nobody can guess.
        m_pCachedCopies = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tallowmark-XXXXXX"));
        if (!m_pCachedCopies->isValid()) {
            m_pCachedCopies.reset();
            return {};
        }
    }
    return QFile::encodeName(m_pCachedCopies->path()).toStdString();
}

ChildFrame* DocumentManager::CreateChildFrame(const std::shared_ptr<TallowmarkDoc>& document) {
    const ViewOptions options{
        m_services.defaults.GetDefaultViewBlankRecords(), m_services.defaults.GetDefaultViewBadfoodRecords(),
        m_services.defaults.GetDefaultMarkDeletedRecords(), m_services.defaults.GetDefaultExtraColumns()};
    auto* view = new TallowmarkView(document, options, m_services.prompts);
    view->SetStartingLayout(m_services.defaults.GetDefaultColumnLayout());
    connect(view, &TallowmarkView::ColumnLayoutChanged, this,
            [this, view] { m_services.defaults.SetDefaultColumnLayout(view->ColumnLayout()); });
    auto* frame = new ChildFrame(view, std::make_unique<ViewCommands>(*view, m_services.defaults),
                                 std::make_unique<DocumentCommands>(*view, *this));
    m_area.addSubWindow(frame);
    connect(frame, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, &DocumentManager::DocumentsChanged);
    });
    frame->setWhatsThis(QString::fromLatin1(kListWhatsThis));
    view->setWhatsThis(QString::fromLatin1(kListWhatsThis));
    emit FrameCreated(frame);
    UpdateCaptions();
    ChildFrame* active = ActiveChild();
    if (active ? active->isMaximized() : m_bFirstWindowFills) {
        frame->showMaximized();
    } else {
        PlaceFrame(m_area, *frame, static_cast<int>(Frames().size()) - 1);
        frame->show();
    }
    m_area.setActiveSubWindow(frame);
    view->OnInitialUpdate();
    view->setFocus();
    return frame;
}

void DocumentManager::CloseDocument(const TallowmarkDoc& document) {
    for (ChildFrame* frame : FramesOf(document)) frame->close();
}

void DocumentManager::DocumentRenamed(const TallowmarkDoc& document) {
    m_services.recentFiles.Add(document.PathName());
    emit DocumentsChanged();
}

void DocumentManager::UpdateCaptions() {
    std::map<const TallowmarkDoc*, std::vector<ChildFrame*>> byDocument;
    for (ChildFrame* frame : Frames()) byDocument[&frame->View()->GetDocument()].push_back(frame);
    for (auto& [document, frames] : byDocument) {
        const QString title = TitleText(*document);
        for (std::size_t i = 0; i < frames.size(); ++i)
            frames[i]->setWindowTitle(frames.size() > 1 ? QStringLiteral("%1:%2").arg(title).arg(i + 1) : title);
    }
}

QString DocumentManager::MainCaption() const {
    // A maximised child's caption is added by the MDI area itself ("Tallowmark - [title:2]").
    ChildFrame* active = ActiveChild();
    if (active && !active->isMaximized())
        return QStringLiteral("Tallowmark - %1").arg(TitleText(active->View()->GetDocument()));
    return QStringLiteral("Tallowmark");
}

void DocumentManager::OpenWithDefaultApplication(const QUrl& url) {
    if (m_services.prompts.OpenUrl(url) != platform::LaunchResult::NoApplication) return;
    const QString target = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    emit StatusMessage(QString::fromLatin1(kNoApplication).arg(target));
}

void DocumentManager::OpenInTextEditor(const QString& path) {
    if (m_services.prompts.OpenInTextEditor(path) != platform::LaunchResult::NoApplication) return;
    emit StatusMessage(QString::fromLatin1(kNoTextEditor).arg(QDir::toNativeSeparators(path)));
}

}  // namespace tallowmark
