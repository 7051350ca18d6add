#include <filesystem>
#include <memory>
#include <ostream>
#include <thread>

#include "cli/CliSupport.h"
#include "cli/ProgressLine.h"
#include "forensic/Carver.h"
#include "platform/NativePath.h"

namespace tallowmark {

namespace {
struct CarveRequest {
    std::vector<std::string> images;
    std::string output;
    CarveOptions options;
    unsigned jobs = 0;  // 0: one per core
};

// Parses the arguments after "carve"; returns 0 when they are good, kHelpShown when the
// help was asked for and written, else the exit code.
int ParseCarve(const std::vector<std::string>& args, CarveRequest& request, std::ostream& out, std::ostream& err) {
    for (CommandArguments arguments(args); arguments.Next();) {
        const std::string arg = arguments.Current();
        if (arguments.IsHelp()) return ShowCommandHelp(out, "carve");
        if (!arguments.IsOption()) {
            request.images.push_back(arg);
            continue;
        }
        if (arg != "--format" && arg != "-o" && arg != "--extract" && arg != "--source-zone" && arg != "--jobs")
            return UsageError(err, "unknown option " + arg);
        const std::string* value = arguments.Value();
        if (!value) return UsageError(err, arg + " needs a value");
        if (arg == "--format") {
            if (const int usage = ParseTimelineFormat(*value, request.options.timeline, err)) return usage;
        } else if (arg == "-o") {
            request.output = *value;
        } else if (arg == "--extract") {
            request.options.extractFolder = *value;
        } else if (arg == "--source-zone") {
            if (const int usage = ParseSourceZone(*value, request.options.timeline, err)) return usage;
        } else if (!ParseJobCount(*value, request.jobs)) {
            return UsageError(err, "--jobs needs a number from 1 to 999");
        }
    }
    if (request.images.empty()) return UsageError(err, "carve needs an IMAGE");
    if (!request.options.extractFolder.empty()) {
        std::error_code ignored;
        if (!std::filesystem::is_directory(PathFromUtf8(request.options.extractFolder), ignored))
            return UsageError(err, "--extract " + request.options.extractFolder + " is no folder");
    }
    return 0;
}

// Carves every image in the order given; false if any could not be read whole or a
// found file could not be written out. A failure is named and the carving goes on.
bool WriteCarve(const CarveRequest& request, std::ostream& out, std::ostream& err, bool atTerminal) {
    out << CarvedHeader(*request.options.timeline.format);
    ProgressLine progress(err, atTerminal);
    auto say = [&](const std::string& message) {
        progress.Clear();
        err << "tallowmark-cli: " << message << "\n";
    };
    std::vector<std::unique_ptr<ByteSource>> images;
    std::uint64_t total = 0;
    bool ok = true;
    for (const std::string& path : request.images) {
        OpenedImage opened = OpenImage(path);
        if (!opened.reader) {
            say(FileProblem(path, opened.outcome));
            ok = false;
        } else {
            total += opened.reader->Length();
        }
        images.push_back(std::move(opened.reader));
    }
    std::uint64_t done = 0;
    std::size_t records = 0, wallClockTimes = 0, wallClockImages = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (!images[i]) continue;
        const CarveResult result = CarveImage(
            *images[i], request.images[i], request.options, out, say,
            [&](const CarveProgress& at) { progress.UpdateBytes(done + at.bytesDone, total, records + at.records); });
        done += images[i]->Length();
        records += result.records;
        wallClockTimes += result.wallClockTimes;
        wallClockImages += result.wallClockTimes != 0;
        ok = ok && result.allRead && result.allExtracted;
    }
    out.flush();
    if (const std::string summary = WallClockSummary(wallClockTimes, wallClockImages, "image"); !summary.empty())
        say(summary);
    return ok;
}
}  // namespace

std::string CarveImagesHelp() {
    return ReadsExpertWitnessImages()
               ? "                 IMAGE is a raw image or an Expert Witness (E01) image\n"
               : "                 IMAGE is a raw image; this build reads no Expert Witness (E01) images\n";
}

int RunCarve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const CliEnvironment& environment) {
    CarveRequest request;
    if (const int usage = ParseCarve(args, request, out, err)) return usage;
    const unsigned jobs = request.jobs ? request.jobs : environment.threads;
    request.options.jobs = jobs ? jobs : std::max(1u, std::thread::hardware_concurrency());
    request.options.inputs = request.images;
    return WriteOutput(request.output, request.images, out, err,
                       [&](std::ostream& to) { return WriteCarve(request, to, err, environment.stderrIsTerminal); });
}

}  // namespace tallowmark
