#pragma once
// What the commands of tallowmark-cli share.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliCommands.h"
#include "discovery/ImageFileSystems.h"
#include "forensic/DiskImage.h"
#include "forensic/Timeline.h"
#include "model/Outcome.h"
#include "model/RecordWalk.h"
#include "model/TallowmarkDoc.h"

namespace tallowmark {

// Reports bad usage with the usage text; returns the exit code 2.
int UsageError(std::ostream& err, const std::string& problem);

// What a command's parser returns when it wrote the command's help: the command then ends
// with status 0.
inline constexpr int kHelpShown = -1;
// Writes the usage and options of `command`; returns kHelpShown.
int ShowCommandHelp(std::ostream& out, std::string_view command);

// The arguments of one command, read left to right: its options, each option's value,
// and the operands. "--" ends the options, so that a file named "-x.dat" can be given.
class CommandArguments {
public:
    // `args` as RunCli has them: the command first.
    explicit CommandArguments(const std::vector<std::string>& args) : m_args(args) {}
    // Steps to the next argument; false after the last.
    bool Next();
    const std::string& Current() const { return m_args[m_at]; }
    // An option: a word starting with "-" (not "-" alone, which names standard input to
    // some tools and is taken as a file name), before any "--".
    bool IsOption() const { return !m_bOperandsOnly && Current().size() > 1 && Current()[0] == '-'; }
    bool IsHelp() const { return IsOption() && (Current() == "--help" || Current() == "-h"); }
    // The value of the current option: the argument after it, taken; null when there is none.
    const std::string* Value() { return m_at + 1 < m_args.size() ? &m_args[++m_at] : nullptr; }

private:
    const std::vector<std::string>& m_args;
    std::size_t m_at = 0;
    bool m_bOperandsOnly = false;
};

// What a command that takes index files says of a folder given as one, %1 the folder.
inline constexpr std::string_view kFindFolderHint = "give an index file, or use --find %1";
inline constexpr std::string_view kListFolderHint = "give an index file (tallowmark-cli find %1 lists those in it)";

// What goes wrong with a file or image given on the command line, worded once: "X was not
// found", "X is not a cache index file", "X is a folder; " and `folderHint` (when given),
// or the loader's own message where it names X already, else "X: message".
std::string FileProblem(const std::string& path, const Outcome& failure, std::string_view folderHint = {});
// Says on `err` that `path` was cut short, when it was.
void SayShortfall(std::ostream& err, const std::string& path, const FileShortfall& shortfall);

// Calls `write` with standard output, or with the file at `path` when it is not empty,
// which replaces an existing file only once every byte is written, and reports a file
// that cannot be made or fully written, with the system's reason. Refuses, writing
// nothing, a `path` that is one of `inputs`. Returns the exit code: 0 when `write`
// returned true and everything reached its place, 2 for an input as the output, else 1.
int WriteOutput(const std::string& path, const std::vector<std::string>& inputs, std::ostream& out, std::ostream& err,
                const std::function<bool(std::ostream&)>& write);

// The N of --jobs N: a number from 1 to 999. False for anything else.
bool ParseJobCount(const std::string& value, unsigned& jobs);

// The F of --format F and the ZONE of --source-zone ZONE, of timeline and carve alike, put
// into `options`. 0 when the value is good, else the exit code of its usage error.
int ParseTimelineFormat(const std::string& value, TimelineOptions& options, std::ostream& err);
int ParseSourceZone(const std::string& value, TimelineOptions& options, std::ostream& err);

// Walks each root for files named index.dat, never entering links to directories, and
// adds each path to `found`, sorted by its bytes (so that two runs compare). A directory
// that can't be listed gets one line on `err` unless `quiet`. False if a root itself
// could not be listed.
bool FindIndexFiles(const std::vector<std::string>& roots, bool quiet, std::ostream& err,
                    std::vector<std::string>& found);

// Opens the image at `path` and its file systems: null, after saying why, when it cannot
// be read; each partition passed over is named on `err`.
std::shared_ptr<ImageFileSystems> OpenImageFileSystems(const std::string& path, std::ostream& err);
// Walks `image` with a progress line on a terminal, calling `found` with each file as it
// turns up, then says on `err` what was not read. Every file found, in the order found.
std::vector<FoundIndexFile> WalkImage(ImageFileSystems& image, const ImageWalkOptions& options, std::ostream& err,
                                      bool atTerminal, const std::function<void(const FoundIndexFile&)>& found);

struct FindInImagesRequest {
    std::vector<std::string> images;
    bool json = false;
    bool byContent = false;
    std::string extractFolder;  // empty: nothing written out
};
// find --image: one line (or JSON object) per index file found in each image, and with an
// extract folder each readable one written there with manifest.csv. The exit code.
int FindInImages(const FindInImagesRequest& request, std::ostream& out, std::ostream& err, bool atTerminal);

// --image IMAGE --path [PARTITION:]PATH [--inode N]: the one file info and export read.
struct ImageFileArgs {
    std::string image, path;
    std::optional<std::uint64_t> inode;
    bool Given() const { return !image.empty() || !path.empty() || inode; }
};
// Takes the current option (and its value) when it is one of these: 0, or the exit code of
// its usage error; kNotImageOption when it is none of them.
inline constexpr int kNotImageOption = -2;
int TakeImageFileOption(CommandArguments& arguments, ImageFileArgs& into, std::ostream& err);
struct ImageFileChoice {
    std::shared_ptr<ImageFileSystems> image;
    FoundIndexFile file;
};
// The one readable file at `pathSpec` ("[PARTITION:]PATH", as find --image prints it) of
// the image, narrowed by `inode`; nothing, after saying why, when there is none or more
// than one.
std::optional<ImageFileChoice> ChooseImageFile(const std::string& imagePath, const std::string& pathSpec,
                                               std::optional<std::uint64_t> inode, std::ostream& err);
// Says on `err` what `image` could not read of its bytes so far; false when there was such.
bool SayImageDamage(const ImageFileSystems& image, std::ostream& err);
// Reads the chosen file whole into `document`, named and titled IMAGE:PARTITION:PATH.
bool LoadFromImage(TallowmarkDoc& document, const ImageFileChoice& choice, std::ostream& err);
// The help's line for a build that reads no file systems inside images; empty otherwise.
std::string ImagesHelp();

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const CliEnvironment& environment);
int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunFind(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const CliEnvironment& environment);
int RunTimeline(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const CliEnvironment& environment);
int RunCarve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const CliEnvironment& environment);
// The E01 line of the carve help: what this build reads.
std::string CarveImagesHelp();

}  // namespace tallowmark
