#include <filesystem>

#include "cli/CliSupport.h"
#include "discovery/IndexFileSearch.h"
#include "platform/NativePath.h"

namespace tallowmark {

namespace {
class IndexFileLister : public FindFilesSink {
public:
    IndexFileLister(bool quiet, std::ostream& err, const std::function<void(std::string)>& found)
        : m_bQuiet(quiet), m_err(err), m_found(found) {}

    void StartRoot() {
        m_directoriesSeen = 0;
        m_bRootFailed = false;
    }
    bool RootFailed() const { return m_bRootFailed; }

    void Send(FindFilesMessage message, std::string text) override {
        if (message == WM_FINDFILES_STATUS) ++m_directoriesSeen;
        else if (message == WM_FINDFILES_FOUND)
            m_found(std::move(text));
    }
    void PassedOver(const std::string& directory, const std::string& reason) override {
        // A root that can't be listed at all is always reported: the walk did not run.
        if (m_directoriesSeen == 1) m_bRootFailed = true;
        if (!m_bQuiet || m_bRootFailed) m_err << "tallowmark-cli: cannot read " << directory << ": " << reason << "\n";
    }

private:
    const bool m_bQuiet;
    std::ostream& m_err;
    const std::function<void(std::string)>& m_found;
    std::size_t m_directoriesSeen = 0;
    bool m_bRootFailed = false;
};
}  // namespace

bool FindIndexFiles(const std::vector<std::string>& roots, bool quiet, std::ostream& err,
                    const std::function<void(std::string)>& found) {
    IndexFileLister lister(quiet, err, found);
    g_bStopSearch = false;
    bool everyRootListed = true;
    for (const std::string& root : roots) {
        lister.StartRoot();
        SearchDirectory(root, lister);
        if (lister.RootFailed()) everyRootListed = false;
    }
    return everyRootListed;
}

int RunFind(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const CliEnvironment& environment) {
    std::vector<std::string> roots;
    bool quiet = false;
    char end = '\n';
    FindInImagesRequest inImages;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((arg == "--image" || arg == "--extract") && i + 1 == args.size()) return UsageError(err, arg + " needs a value");
        if (arg == "-0") end = '\0';
        else if (arg == "--quiet")
            quiet = true;
        else if (arg == "--image")
            inImages.images.push_back(args[++i]);
        else if (arg == "--json")
            inImages.json = true;
        else if (arg == "--by-content")
            inImages.byContent = true;
        else if (arg == "--extract")
            inImages.extractFolder = args[++i];
        else if (arg.size() > 1 && arg[0] == '-')
            return UsageError(err, "unknown option " + arg);
        else
            roots.push_back(arg);
    }
    const bool imageOptions = inImages.json || inImages.byContent || !inImages.extractFolder.empty();
    if (!inImages.images.empty()) {
        if (!roots.empty()) return UsageError(err, "find takes ROOTs or --image IMAGEs, not both");
        if (!inImages.extractFolder.empty()) {
            std::error_code ignored;
            if (!std::filesystem::is_directory(PathFromUtf8(inImages.extractFolder), ignored))
                return UsageError(err, "--extract " + inImages.extractFolder + " is no folder");
        }
        return FindInImages(inImages, out, err, environment.stderrIsTerminal);
    }
    if (imageOptions) return UsageError(err, "--json, --extract and --by-content go with --image");
    if (roots.empty()) return UsageError(err, "find needs a ROOT");
    const bool listed = FindIndexFiles(roots, quiet, err, [&](std::string path) { out << path << end; });
    out.flush();
    if (!out) return 1;
    return listed ? 0 : 1;
}

}  // namespace tallowmark
