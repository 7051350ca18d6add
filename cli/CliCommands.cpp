#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

#include <filesystem>
#include <memory>

#include "forensic/ContainerInfo.h"
#include "model/IndexStream.h"
#include "model/TallowmarkDoc.h"
#include "model/Version.h"
#include "model/ZoneRules.h"
#include "platform/NativePath.h"
#include "platform/OutputFile.h"
#include "presentation/CsvExport.h"

namespace tallowmark {

namespace {
constexpr const char* kUsage =
    "usage: tallowmark-cli export FILE [-o OUT] [--hide-blank] [--hide-badfood]\n"
    "       tallowmark-cli info FILE [--json]\n"
    "       tallowmark-cli timeline FILE... [--find ROOT] [--format jsonl|bodyfile|csv|timesketch] [-o OUT]\n"
    "                               [--localtime] [--source-zone ZONE] [--jobs N]\n"
    "       tallowmark-cli find ROOT... [-0] [--quiet]\n"
    "       tallowmark-cli carve IMAGE... [--format jsonl|bodyfile|csv|timesketch] [-o OUT] [--extract DIR]\n"
    "                            [--source-zone ZONE] [--jobs N]\n"
    "       tallowmark-cli --help | --version\n";

constexpr const char* kHelp =
    "Reads Windows cache index files (index.dat) and shows what they record.\n"
    "\n"
    "Commands:\n"
    "  export FILE    write every record as CSV to standard output\n"
    "    -o OUT         write to OUT instead\n"
    "    --hide-blank   leave out blank records\n"
    "    --hide-badfood leave out records filled with 0x0BADF00D\n"
    "  info FILE      name, location, version, recorded size and number of records, then\n"
    "                 the header's blocks, sizes and cache directories, the hash tables,\n"
    "                 and the records by kind and status (live, deleted, unknown)\n"
    "    --json         all of it as one JSON object\n"
    "  timeline FILE...  one line per URL, LEAK and REDR record of every file, files in the\n"
    "                 order given: status, kind, times as true instants in UTC (ISO 8601),\n"
    "                 hits, cached size, page title, headers and the other fields\n"
    "    --find ROOT    also take every index.dat file found under ROOT\n"
    "    --format F     jsonl (JSON Lines, the default), bodyfile (for mactime), csv, or\n"
    "                   timesketch (one JSON line per time, for Timesketch to import)\n"
    "    -o OUT         write to OUT instead of standard output\n"
    "    --localtime    local time with the offset in force at each date\n"
    "    --source-zone ZONE  the zone of the machine the files came from (Europe/Amsterdam,\n"
    "                   +01:00), which daily and weekly history keep visit times in\n"
    "    --jobs N       files read at once (default: one per core)\n"
    "  find ROOT...   every file named index.dat (any letter case) under each ROOT, one path\n"
    "                 a line; links to directories are never followed\n"
    "    -0             end each path with a NUL byte instead\n"
    "    --quiet        say nothing of directories that cannot be read\n"
    "  carve IMAGE... recover URL, LEAK and REDR records from disk images, unallocated space,\n"
    "                 page files and memory dumps where no index file is left: one timeline\n"
    "                 line per record, in image order, with image_offset and carved_from\n"
    "                 (\"file 0x...\" for a record of a whole index file found in the image,\n"
    "                 whose status its bitmap gives, else \"loose\")\n"
    "    --format F     jsonl (the default), bodyfile, csv or timesketch, as for timeline\n"
    "    -o OUT         write to OUT instead of standard output\n"
    "    --extract DIR  write each whole index file found to DIR/index-OFFSET.dat, never\n"
    "                   over a file that is there\n"
    "    --source-zone ZONE  the time zone of the machine the image came from\n"
    "    --jobs N       threads reading the image (default: one per core)\n";

constexpr const char* kHelpEnd =
    "\n"
    "An output file (-o) is written whole or not at all, and never onto an input.\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage or an input\n"
    "given as the output.\n";

bool Load(TallowmarkDoc& document, const std::string& path, std::ostream& err) {
    const Outcome opened = document.OnOpenDocument(path);
    if (!opened) err << "tallowmark-cli: " << path << ": " << opened.message << "\n";
    return opened.ok;
}

int Export(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
    std::string file, output;
    ViewOptions shown;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--hide-blank") shown.viewBlankRecords = false;
        else if (arg == "--hide-badfood")
            shown.viewBadfoodRecords = false;
        else if (arg == "-o") {
            if (++i == args.size()) return UsageError(err, "-o needs a file name");
            output = args[i];
        } else if (!arg.empty() && arg[0] == '-' && arg != "-")
            return UsageError(err, "unknown option " + arg);
        else if (file.empty())
            file = arg;
        else
            return UsageError(err, "more than one input file");
    }
    if (file.empty()) return UsageError(err, "export needs a FILE");
    // One pass over the file, never holding it whole: the same lines as the desktop's
    // export of the loaded document.
    IndexStream stream;
    if (const Outcome opened = stream.Open(file); !opened) {
        err << "tallowmark-cli: " << file << ": " << opened.message << "\n";
        return 1;
    }
    return WriteOutput(output, {file}, out, err, [&](std::ostream& to) {
        const Outcome walked = StreamCsv(stream, to, shown, environment.threads);
        if (!walked) err << "tallowmark-cli: " << file << ": " << walked.message << "\n";
        return walked.ok;
    });
}

int Info(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file;
    InfoFormat format = InfoFormat::Text;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json") format = InfoFormat::Json;
        else if (!args[i].empty() && args[i][0] == '-' && args[i] != "-")
            return UsageError(err, "unknown option " + args[i]);
        else if (file.empty())
            file = args[i];
        else
            return UsageError(err, "info needs exactly one FILE");
    }
    if (file.empty()) return UsageError(err, "info needs exactly one FILE");
    TallowmarkDoc document;
    if (!Load(document, file, err)) return 1;
    std::error_code ignored;
    const auto absolute = std::filesystem::absolute(PathFromUtf8(file), ignored);
    if (!ignored) document.SetPathName(NativeSeparators(Utf8FromPath(absolute)));
    // The digests of the bytes on the disk, read once more from the start.
    const FileDigests digests = DigestsOfFile(file);
    if (digests.error != platform::FileError::None) {
        err << "tallowmark-cli: " << file << ": " << ReadFailure(digests.error, file).message << "\n";
        return 1;
    }
    WriteContainerInfo(out, document, format, digests);
    return 0;
}
}  // namespace

int UsageError(std::ostream& err, const std::string& problem) {
    err << "tallowmark-cli: " << problem << "\n" << kUsage;
    return 2;
}

bool ParseJobCount(const std::string& value, unsigned& jobs) {
    if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(value) == 0)
        return false;
    jobs = static_cast<unsigned>(std::stoul(value));
    return true;
}

int ParseTimelineFormat(const std::string& value, TimelineOptions& options, std::ostream& err) {
    const auto format = TimelineFormatNamed(value);
    if (!format) return UsageError(err, "unknown format " + value + " (jsonl, bodyfile, csv or timesketch)");
    options.format = *format;
    return 0;
}

int ParseSourceZone(const std::string& value, TimelineOptions& options, std::ostream& err) {
    std::string why;
    auto zone = ZoneRules::Named(value, ZoneRules::DatabaseFolders(), &why);
    if (!zone) return UsageError(err, "--source-zone: " + why);
    options.sourceZone = std::make_shared<const ZoneRules>(std::move(*zone));
    return 0;
}

int WriteOutput(const std::string& path, const std::vector<std::string>& inputs, std::ostream& out, std::ostream& err,
                const std::function<bool(std::ostream&)>& write) {
    if (path.empty()) {
        const bool done = write(out);
        out.flush();
        return done && out ? 0 : 1;
    }
    platform::OutputFile output;
    const platform::WriteStatus opened = output.Open(path, inputs);
    if (opened.error == platform::WriteError::SameAsInput) {
        err << "tallowmark-cli: " << path << " is the input " << inputs[opened.input] << "; nothing was written\n";
        return 2;
    }
    if (!opened.ok()) {
        err << "tallowmark-cli: " << path << ": " << opened.reason << "\n";
        return 1;
    }
    // A file that failed to read still leaves the lines of the others, as on standard output.
    const bool done = write(output.Stream());
    const platform::WriteStatus committed = output.Commit();
    if (!committed.ok()) {
        err << "tallowmark-cli: " << path << ": " << committed.reason << "\n";
        return 1;
    }
    return done ? 0 : 1;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
    if (args.empty()) return UsageError(err, "no command given");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h") {
        out << kUsage << "\n" << kHelp << CarveImagesHelp() << kHelpEnd;
        return 0;
    }
    if (command == "--version") {
        out << kProductName << " " << kProductVersion << "\n";
        return 0;
    }
    if (command == "export") return Export(args, out, err, environment);
    if (command == "info") return Info(args, out, err);
    if (command == "timeline") return RunTimeline(args, out, err, environment);
    if (command == "find") return RunFind(args, out, err);
    if (command == "carve") return RunCarve(args, out, err, environment);
    return UsageError(err, "unknown command " + command);
}

}  // namespace tallowmark
