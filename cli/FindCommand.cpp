#include <algorithm>
#include <filesystem>

#include "cli/CliSupport.h"
#include "discovery/IndexFileSearch.h"
#include "platform/NativePath.h"

namespace tallowmark {

namespace {
class IndexFileLister : public FindFilesSink {
public:
    IndexFileLister(bool quiet, std::ostream& err, std::vector<std::string>& found)
        : m_bQuiet(quiet), m_err(err), m_found(found) {}

    void StartRoot() {
        m_directoriesSeen = 0;
        m_bRootFailed = false;
    }
    bool RootFailed() const { return m_bRootFailed; }

    void Send(FindFilesMessage message, std::string text) override {
        if (message == WM_FINDFILES_STATUS) ++m_directoriesSeen;
        else if (message == WM_FINDFILES_FOUND)
            m_found.push_back(std::move(text));
    }
    void PassedOver(const std::string& directory, const std::string& reason) override {
        // A root that can't be listed at all is always reported: the walk did not run.
        if (m_directoriesSeen == 1) m_bRootFailed = true;
        if (!m_bQuiet || m_bRootFailed) m_err << "tallowmark-cli: cannot read " << directory << ": " << reason << "\n";
    }

private:
    const bool m_bQuiet;
    std::ostream& m_err;
    std::vector<std::string>& m_found;
    std::size_t m_directoriesSeen = 0;
    bool m_bRootFailed = false;
};
}  // namespace

bool FindIndexFiles(const std::vector<std::string>& roots, bool quiet, std::ostream& err,
                    std::vector<std::string>& found) {
    const std::size_t before = found.size();
    IndexFileLister lister(quiet, err, found);
    g_bStopSearch = false;
    bool everyRootListed = true;
    for (const std::string& root : roots) {
        lister.StartRoot();
        SearchDirectory(root, lister);
        if (lister.RootFailed()) everyRootListed = false;
    }
    // The walk's order is the file system's; sorted by bytes, two runs compare.
    std::sort(found.begin() + static_cast<std::ptrdiff_t>(before), found.end());
    return everyRootListed;
}

int RunFind(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const CliEnvironment& environment) {
    std::vector<std::string> roots;
    bool quiet = false;
    char end = '\n';
    FindInImagesRequest inImages;
    for (CommandArguments arguments(args); arguments.Next();) {
        const std::string& arg = arguments.Current();
        if (arguments.IsHelp()) return ShowCommandHelp(out, "find");
        if (!arguments.IsOption()) {
            roots.push_back(arg);
        } else if (arg == "-0") {
            end = '\0';
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--json") {
            inImages.json = true;
        } else if (arg == "--by-content") {
            inImages.byContent = true;
        } else if (arg == "--image" || arg == "--extract") {
            const std::string* value = arguments.Value();
            if (!value) return UsageError(err, arg + " needs a value");
            if (arg == "--image") inImages.images.push_back(*value);
            else
                inImages.extractFolder = *value;
        } else {
            return UsageError(err, "unknown option " + arg);
        }
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
    std::vector<std::string> found;
    const bool listed = FindIndexFiles(roots, quiet, err, found);
    for (const std::string& path : found) out << path << end;
    out.flush();
    if (!out) return 1;
    return listed ? 0 : 1;
}

}  // namespace tallowmark
