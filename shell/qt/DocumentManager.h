#pragma once
// The open documents and their windows: opening a file (or reusing its open document),
// framing a document in a new window, captioning the windows, closing a document.

#include <QObject>
#include <QString>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

class QMdiArea;
class QTemporaryDir;
class QUrl;

namespace tallowmark {

class ChildFrame;
class ImageFileSystems;
struct FoundIndexFile;
class RecentFileList;
class TallowmarkDoc;
class TallowmarkView;
class UserPrompts;
class ViewingDefaults;

// What the documents' windows need of the application, handed over when the main window
// is made; each outlives it.
struct ShellServices {
    UserPrompts& prompts;
    RecentFileList& recentFiles;
    ViewingDefaults& defaults;
    const std::string& bootDeletionRoot;  // see platform/BootDeletion.h
};

class DocumentManager : public QObject {
    Q_OBJECT
public:
    DocumentManager(QMdiArea& area, const ShellServices& services, QObject* parent = nullptr);
    ~DocumentManager() override;

    const ShellServices& Services() const { return m_services; }

    // Reuses an open document (its window activated) or loads one in a new window, which
    // enters the recent-file list; null on failure, after the document's message. `path`
    // as the system spells it, which need not be valid UTF-8. The window paints on while
    // a file loads, and a long load says how far it has come (Loading).
    TallowmarkDoc* OpenDocumentFile(const std::string& path);
    // The same, a failure's message handed back in `failure` rather than shown.
    TallowmarkDoc* OpenDocumentFile(const std::string& path, std::string& failure);
    // The open document read from `path` (however the path is written), or null.
    TallowmarkDoc* FindOpenDocument(const std::string& path) const;
    // Reuses the open document of `file` or reads it from `image` into a new window,
    // titled with the image and its path there; null on failure, after its message.
    TallowmarkDoc* OpenImageFile(const std::shared_ptr<ImageFileSystems>& image, const FoundIndexFile& file);
    // A new window on `document`, activated: filling the workspace when the active one
    // does, or when it is the first and the first fills it; else at its cascade step.
    ChildFrame* CreateChildFrame(const std::shared_ptr<TallowmarkDoc>& document);
    void SetFirstWindowFills(bool fills) { m_bFirstWindowFills = fills; }
    // Whether a file is being loaded: the windows are not to change meanwhile.
    bool IsLoading() const { return m_bLoading; }
    // How long a load goes before Loading tells of it.
    void SetQuietLoad(std::chrono::milliseconds quiet) { m_quietLoad = quiet; }
    void CloseDocument(const TallowmarkDoc& document);
    // Save As gave the document a new name.
    void DocumentRenamed(const TallowmarkDoc& document);

    ChildFrame* ActiveChild() const;
    TallowmarkView* ActiveView() const;
    std::vector<ChildFrame*> Frames() const;  // in the order they were made
    std::vector<ChildFrame*> FramesOf(const TallowmarkDoc& document) const;
    // The files of every open document (the image, for one read from an image): what no
    // file the program writes may be.
    std::vector<std::string> OpenDocumentPaths() const;
    // A folder of this user's alone, made on first use and removed when the program ends,
    // for the cached copies read out of images; empty when none can be made.
    std::string CachedCopiesFolder();

    // Each window's caption: its document's title, numbered when it has several windows.
    void UpdateCaptions();
    // The main window's: "Tallowmark - title" for an active window that is not maximised.
    QString MainCaption() const;

    // Hands `url` (a file or an address) to the desktop's default application, or `path`
    // to the plain-text editor. A launch that fails is silent; when the desktop has no
    // application for it at all, StatusMessage says so.
    void OpenWithDefaultApplication(const QUrl& url);
    void OpenInTextEditor(const QString& path);

signals:
    void FrameCreated(ChildFrame* frame);
    // The recent-file list, a title or the set of windows changed.
    void DocumentsChanged();
    void StatusMessage(const QString& text);
    // How far a long load has come: its status text and percentage.
    void Loading(const QString& text, int percent);
    void LoadEnded();

private:
    QMdiArea& m_area;
    ShellServices m_services;
    std::unique_ptr<QTemporaryDir> m_pCachedCopies;
    bool m_bFirstWindowFills = true;
    bool m_bLoading = false;
    std::chrono::milliseconds m_quietLoad{500};
};

}  // namespace tallowmark
