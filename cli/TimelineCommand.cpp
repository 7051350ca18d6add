#include <algorithm>
#include <array>
#include <mutex>
#include <ostream>
#include <thread>
#include <utility>

#include "cli/CliSupport.h"
#include "cli/ProgressLine.h"
#include "model/LocalTimeRules.h"
#include "presentation/AnsiText.h"
#include "presentation/OrderedWork.h"
#include "forensic/Timeline.h"

namespace tallowmark {

namespace {
// A file to make lines of: one of this machine, or one found in a disk image.
struct TimelineInput {
    std::string file;  // the file's path, or for a file in an image IMAGE:PARTITION:PATH
    std::shared_ptr<ImageFileSystems> image;
    FoundIndexFile inImage;
};

// The fields a line of a file read from an image carries after its own.
constexpr std::string_view kImageFieldNames[] = {"image", "partition", "path_in_image", "file_state", "inode"};

// Those fields without a value, for the CSV row of a file of this machine.
constexpr auto kNoImage = [] {
    std::array<TimelineExtraField, std::size(kImageFieldNames)> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i].name = kImageFieldNames[i];
        fields[i].form = TimelineExtraField::Form::Null;
    }
    return fields;
}();

struct TimelineRequest {
    std::vector<std::string> files;
    std::vector<std::string> findRoots;
    std::vector<std::string> images;
    bool allocatedOnly = false;
    std::vector<TimelineInput> inputs;  // files, then those found under the roots, then in the images
    std::string output;
    TimelineOptions options;
    unsigned jobs = 0;  // 0: one per core
};

// Parses the arguments after "timeline"; returns 0 when they are good, kHelpShown when
// the help was asked for and written, else the exit code.
int ParseTimeline(const std::vector<std::string>& args, TimelineRequest& request, std::ostream& out,
                  std::ostream& err) {
    for (CommandArguments arguments(args); arguments.Next();) {
        const std::string arg = arguments.Current();
        if (arguments.IsHelp()) return ShowCommandHelp(out, "timeline");
        if (!arguments.IsOption()) {
            request.files.push_back(arg);
            continue;
        }
        if (arg == "--localtime" || arg == "--allocated-only") {
            (arg == "--localtime" ? request.options.localTime : request.allocatedOnly) = true;
            continue;
        }
        if (arg != "--format" && arg != "-o" && arg != "--find" && arg != "--jobs" && arg != "--source-zone" &&
            arg != "--image")
            return UsageError(err, "unknown option " + arg);
        const std::string* value = arguments.Value();
        if (!value) return UsageError(err, arg + " needs a value");
        if (arg == "--format") {
            if (const int usage = ParseTimelineFormat(*value, request.options, err)) return usage;
        } else if (arg == "--source-zone") {
            if (const int usage = ParseSourceZone(*value, request.options, err)) return usage;
        } else if (arg == "-o") {
            request.output = *value;
        } else if (arg == "--find") {
            request.findRoots.push_back(*value);
        } else if (arg == "--image") {
            request.images.push_back(*value);
        } else if (!ParseJobCount(*value, request.jobs)) {
            return UsageError(err, "--jobs needs a number from 1 to 999");
        }
    }
    if (request.files.empty() && request.findRoots.empty() && request.images.empty())
        return UsageError(err, "timeline needs a FILE, --find ROOT or --image IMAGE");
    return 0;
}

// Writes every file's lines to `out` in the order given, using `jobs` threads; false if
// any file failed. A failed file's message names it; the others are still written.
bool WriteTimeline(const TimelineRequest& request, std::ostream& out, std::ostream& err, bool atTerminal) {
    const TimelineOptions options = request.options;
    const std::vector<TimelineInput>& inputs = request.inputs;
    // Lines of files in images carry where they lie; a CSV row of another file has those
    // columns empty.
    const bool inImages = std::any_of(inputs.begin(), inputs.end(), [](const auto& input) { return input.image; });
    out << (inImages ? TimelineHeader(*options.format, kImageFieldNames) : TimelineHeader(*options.format));

    // Every thread converts with the same zone table, made once here.
    const auto zone = LocalTimeRules::Current();
    const unsigned jobs = request.jobs ? request.jobs : std::max(1u, std::thread::hardware_concurrency());
    ProgressLine progress(err, atTerminal);
    std::size_t records = 0;
    bool allRead = true;
    std::size_t wallClockTimes = 0, wallClockFiles = 0;
    // Each file's lines come in pieces of about a megabyte, a few waiting per file, so
    // memory stays bounded however large a file or one of its lines; the texts written go
    // back for the next pieces, as growing a fresh one costs more than making its lines.
    SpareBuffers<std::string> spareTexts;
    constexpr std::size_t kPiecesWaiting = 2;
    std::size_t i = 0;
    RunInOrderInParts<std::string, FileTimeline>(
        inputs.size(), jobs, kPiecesWaiting,
        [&](std::size_t file, const auto& handOn) {
            const LocalTimeBatch sameZone(zone);
            const TimelineInput& input = inputs[file];
            const TimelineHandOn handText = [&](std::string& text) { handOn(std::exchange(text, spareTexts.Take())); };
            if (!input.image) {
                // A format with a header row names the image's columns once, for every row.
                const bool emptyColumns = inImages && !options.format->Header(kImageFieldNames).empty();
                return TimelineOfFile(input.file, options, handText, spareTexts.Take(), kTimelinePiece,
                                      emptyColumns ? std::span<const TimelineExtraField>(kNoImage)
                                                   : std::span<const TimelineExtraField>());
            }
            TallowmarkDoc document;
            const std::unique_ptr<ByteSource> bytes = input.image->OpenFile(input.inImage);
            FileTimeline failed;
            failed.outcome = bytes ? document.OpenSource(*bytes, input.file) : Outcome::Failure(kMsgFailedToOpen);
            if (!failed.outcome) return failed;
            const std::string image = TextToUtf8(input.image->Name());
            const std::string_view state = FileStateName(input.inImage.state);
            const TimelineExtraField where[] = {
                {kImageFieldNames[0], TimelineExtraField::Form::Text, image},
                {kImageFieldNames[1], TimelineExtraField::Form::Number, {}, input.inImage.partition.number},
                {kImageFieldNames[2], TimelineExtraField::Form::Text, input.inImage.path},
                {kImageFieldNames[3], TimelineExtraField::Form::Text, state},
                {kImageFieldNames[4], TimelineExtraField::Form::Number, {}, input.inImage.inode}};
            return TimelineOfDocument(document, TextToUtf8(input.file), options, handText, spareTexts.Take(), where);
        },
        [&](std::string&& text) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            spareTexts.GiveBack(std::move(text));
        },
        [&](FileTimeline&& timeline) {
            out.write(timeline.text.data(), static_cast<std::streamsize>(timeline.text.size()));
            spareTexts.GiveBack(std::move(timeline.text));
            records += timeline.records;
            wallClockTimes += timeline.wallClockTimes;
            wallClockFiles += timeline.wallClockTimes != 0;
            if (!timeline.outcome) {
                progress.Clear();
                err << "tallowmark-cli: "
                    << (inputs[i].image ? inputs[i].file + ": " + timeline.outcome.message
                                        : FileProblem(inputs[i].file, timeline.outcome, kFindFolderHint))
                    << "\n";
                allRead = false;
            } else if (timeline.shortfall.Missing() != 0) {
                progress.Clear();
                SayShortfall(err, inputs[i].file, timeline.shortfall);
            }
            progress.Update(++i, inputs.size(), records);
        });
    out.flush();
    if (const std::string summary = WallClockSummary(wallClockTimes, wallClockFiles); !summary.empty()) {
        progress.Clear();
        err << "tallowmark-cli: " << summary << "\n";
    }
    return allRead;
}
}  // namespace

int RunTimeline(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const CliEnvironment& environment) {
    TimelineRequest request;
    if (const int usage = ParseTimeline(args, request, out, err)) return usage;
    if (request.jobs == 0) request.jobs = environment.threads;
    bool ok = true;
    if (!request.findRoots.empty()) ok = FindIndexFiles(request.findRoots, false, err, request.files);
    for (std::string& file : request.files) request.inputs.push_back({std::move(file), nullptr, {}});
    for (const std::string& path : request.images) {
        const std::shared_ptr<ImageFileSystems> image = OpenImageFileSystems(path, err);
        if (!image) {
            ok = false;
            continue;
        }
        ImageWalkOptions walk;
        walk.hash = false;
        for (FoundIndexFile& file : WalkImage(*image, walk, err, environment.stderrIsTerminal, {})) {
            if (!file.Readable() || (request.allocatedOnly && file.state != FileState::Allocated)) continue;
            std::string source = ImageSourceText(path, file.partition.number, file.path);
            request.inputs.push_back({std::move(source), image, std::move(file)});
        }
    }
    // An image refused with nothing else to read: nothing is written.
    if (request.inputs.empty() && !ok) return 1;
    std::vector<std::string> outputInputs;
    for (const TimelineInput& input : request.inputs)
        if (!input.image) outputInputs.push_back(input.file);
    outputInputs.insert(outputInputs.end(), request.images.begin(), request.images.end());

    const int written = WriteOutput(request.output, outputInputs, out, err, [&](std::ostream& to) {
        bool whole = WriteTimeline(request, to, err, environment.stderrIsTerminal);
        // Each image once, after all its files were read.
        for (std::size_t i = 0; i < request.inputs.size(); ++i)
            if (const auto& image = request.inputs[i].image; image && (i == 0 || request.inputs[i - 1].image != image))
                whole = SayImageDamage(*image, err) && whole;
        return whole;
    });
    return ok || written == 2 ? written : 1;
}

}  // namespace tallowmark
