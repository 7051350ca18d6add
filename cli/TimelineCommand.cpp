#include <mutex>
#include <ostream>
#include <thread>
#include <utility>

#include "cli/CliSupport.h"
#include "cli/ProgressLine.h"
#include "model/LocalTimeRules.h"
#include "presentation/OrderedWork.h"
#include "forensic/Timeline.h"

namespace tallowmark {

namespace {
struct TimelineRequest {
    std::vector<std::string> files;
    std::vector<std::string> findRoots;
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
        if (arg == "--localtime") {
            request.options.localTime = true;
            continue;
        }
        if (arg != "--format" && arg != "-o" && arg != "--find" && arg != "--jobs" && arg != "--source-zone")
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
        } else if (!ParseJobCount(*value, request.jobs)) {
            return UsageError(err, "--jobs needs a number from 1 to 999");
        }
    }
    if (request.files.empty() && request.findRoots.empty())
        return UsageError(err, "timeline needs a FILE or --find ROOT");
    return 0;
}

// Writes every file's lines to `out` in the order given, using `jobs` threads; false if
// any file failed. A failed file's message names it; the others are still written.
bool WriteTimeline(const TimelineRequest& request, std::ostream& out, std::ostream& err, bool atTerminal) {
    const TimelineOptions options = request.options;
    const std::string header = TimelineHeader(*options.format);
    out << header;

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
        request.files.size(), jobs, kPiecesWaiting,
        [&](std::size_t file, const auto& handOn) {
            const LocalTimeBatch sameZone(zone);
            return TimelineOfFile(
                request.files[file], options,
                [&](std::string& text) { handOn(std::exchange(text, spareTexts.Take())); }, spareTexts.Take());
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
                err << "tallowmark-cli: " << FileProblem(request.files[i], timeline.outcome, kFindFolderHint) << "\n";
                allRead = false;
            } else if (timeline.shortfall.Missing() != 0) {
                progress.Clear();
                SayShortfall(err, request.files[i], timeline.shortfall);
            }
            progress.Update(++i, request.files.size(), records);
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

    const int written = WriteOutput(request.output, request.files, out, err, [&](std::ostream& to) {
        return WriteTimeline(request, to, err, environment.stderrIsTerminal);
    });
    return ok || written == 2 ? written : 1;
}

}  // namespace tallowmark
