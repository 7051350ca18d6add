#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "forensic/ContainerInfo.h"
#include "model/Digest.h"
#include "model/IndexStream.h"
#include "model/TallowmarkDoc.h"
#include "model/Version.h"
#include "model/ZoneRules.h"
#include "platform/NativePath.h"
#include "platform/OutputFile.h"
#include "presentation/CsvExport.h"

namespace tallowmark {

namespace {
// Each command's usage (after "tallowmark-cli ", its second line lined up with "usage: ")
// and its lines of the help, options indented by four. The timeline formats come from
// their registry: @NAMES@ for "jsonl|csv|…", @CHOICES@ for the names in words with the
// default marked, @DESCRIBED@ for each with what it is.
struct CommandHelp {
    std::string_view name, usage, help;
};
constexpr CommandHelp kCommands[] = {
    {"export", "export FILE|--image IMAGE --path PATH [--inode N] [-o OUT] [--hide-blank] [--hide-badfood]\n",
     "  export FILE    write every record as CSV to standard output\n"
     "    --image IMAGE  read the file from inside the disk image IMAGE (raw, split raw from\n"
     "                   its .001 or .aa, or E01), at --path\n"
     "    --path PATH    the file's path in the image as find --image prints it, with\n"
     "                   PARTITION: before it where partitions hold the same path\n"
     "    --inode N      the file's inode (MFT entry), where a path names several files\n"
     "    -o OUT         write to OUT instead\n"
     "    --hide-blank   leave out blank records\n"
     "    --hide-badfood leave out records filled with 0x0BADF00D\n"},
    {"info", "info FILE|--image IMAGE --path PATH [--inode N] [--json]\n",
     "  info FILE      name, location, version, recorded size and number of records, the\n"
     "                 file's SHA-256 and MD5, how much of it is missing if it was cut\n"
     "                 short, then the header's blocks, sizes and cache directories, the\n"
     "                 hash tables, and the records by kind and status (live, deleted,\n"
     "                 unknown)\n"
     "    --image IMAGE, --path PATH, --inode N  the file inside a disk image, as for export\n"
     "    --json         all of it as one JSON object\n"},
    {"timeline",
     "timeline FILE... [--find ROOT] [--image IMAGE] [--allocated-only]\n"
     "                               [--format @NAMES@] [-o OUT]\n"
     "                               [--localtime] [--source-zone ZONE] [--jobs N]\n",
     "  timeline FILE...  one line per URL, LEAK and REDR record of every file, files in the\n"
     "                 order given: status, kind, times as true instants in UTC (ISO 8601),\n"
     "                 hits, cached size, page title, headers and the other fields\n"
     "    --find ROOT    also take every index.dat file found under ROOT\n"
     "    --image IMAGE  also take every index file found in the disk image IMAGE, deleted and\n"
     "                   orphaned ones too; their lines add image, partition, path_in_image,\n"
     "                   file_state and inode, and source reads IMAGE:PARTITION:PATH\n"
     "    --allocated-only  leave out the deleted and orphaned files of --image\n"
     "    --format F     @DESCRIBED@\n"
     "    -o OUT         write to OUT instead of standard output\n"
     "    --localtime    local time with the offset in force at each date\n"
     "    --source-zone ZONE  the zone of the machine the files came from (Europe/Amsterdam,\n"
     "                   +01:00), which daily and weekly history keep visit times in\n"
     "    --jobs N       files read at once (default: one per core)\n"},
    {"find",
     "find ROOT... [-0] [--quiet]\n"
     "       tallowmark-cli find --image IMAGE... [--json] [--extract DIR] [--by-content]\n",
     "  find ROOT...   every file named index.dat (any letter case) under each ROOT, one path\n"
     "                 a line, sorted by path; links to directories are never followed\n"
     "    -0             end each path with a NUL byte instead\n"
     "    --quiet        say nothing of directories that cannot be read\n"
     "    --image IMAGE  the index files inside the disk image IMAGE instead: every partition\n"
     "                   (NTFS, FAT, exFAT), allocated, deleted and orphaned files, never\n"
     "                   written to; one line each: state, partition, path, size, SHA-256\n"
     "    --json         one JSON object per file instead, with its inode, times, user and role\n"
     "    --extract DIR  write each file that reads to DIR/partition-P-inode-N.dat, with\n"
     "                   manifest.csv of every file listed, never over a file that is there\n"
     "    --by-content   also every file whose first bytes are an index file's, whatever its\n"
     "                   name (reads the start of every file)\n"},
    {"carve",
     "carve IMAGE... [--format @NAMES@] [-o OUT] [--extract DIR]\n"
     "                            [--source-zone ZONE] [--jobs N]\n",
     "  carve IMAGE... recover URL, LEAK and REDR records from disk images, unallocated space,\n"
     "                 page files and memory dumps where no index file is left: one timeline\n"
     "                 line per record, in image order, with image_offset and carved_from\n"
     "                 (\"file 0x...\" for a record of a whole index file found in the image,\n"
     "                 whose status its bitmap gives, else \"loose\")\n"
     "    --format F     @CHOICES@, as for timeline\n"
     "    -o OUT         write to OUT instead of standard output\n"
     "    --extract DIR  write each whole index file found to DIR/index-OFFSET.dat, never\n"
     "                   over a file that is there\n"
     "    --source-zone ZONE  the time zone of the machine the image came from\n"
     "    --jobs N       threads reading the image (default: one per core)\n"},
};

constexpr const char* kHelpStart = "Reads Windows cache index files (index.dat) and shows what they record.\n";

constexpr const char* kHelpEnd =
    "\n"
    "COMMAND --help (or -h) shows the usage and options of that command alone; \"--\" ends\n"
    "the options, so that the arguments after it are files even when they start with \"-\".\n"
    "\n"
    "--list-formats writes the names --format takes, one a line.\n"
    "\n"
    "An output file (-o) is written whole or not at all, and never onto an input.\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage or an input\n"
    "given as the output.\n";

// How a list of the formats in words notes each.
enum class FormatNotes : std::uint8_t { None, TheDefault, Summaries };

// "jsonl, bodyfile, csv or timesketch", with a comma before "or" too when a format's note
// has commas of its own.
std::string FormatsInWords(FormatNotes notes) {
    std::vector<std::string> items;
    for (const TimelineFormat* format : TimelineFormats()) {
        std::string note(notes == FormatNotes::Summaries ? format->Summary() : "");
        if (notes != FormatNotes::None && format == &DefaultTimelineFormat())
            note += note.empty() ? "the default" : ", the default";
        items.push_back(std::string(format->Name()) + (note.empty() ? "" : " (" + note + ")"));
    }
    const bool commas =
        std::ranges::any_of(items, [](const std::string& item) { return item.find(',') != std::string::npos; });
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 < items.size() ? ", " : commas ? ", or " : " or ";
        text += items[i];
    }
    return text;
}

// Puts `value` for `placeholder` in `text`. A line of the help that grows past its width
// is wrapped, its further lines lined up under the value's start; a usage line is not.
void PutFormats(std::string& text, std::string_view placeholder, const std::string& value, bool wrap = true) {
    constexpr std::size_t kWidth = 88;
    const std::size_t at = text.find(placeholder);
    if (at == std::string::npos) return;
    text.replace(at, placeholder.size(), value);
    const std::size_t lineStart = text.rfind('\n', at) + 1;  // npos + 1: the first line
    const std::size_t column = at - lineStart;
    for (std::size_t line = lineStart; wrap;) {
        const std::size_t lineEnd = std::min(text.find('\n', line), text.size());
        const std::size_t space = text.rfind(' ', line + kWidth);
        if (lineEnd - line <= kWidth || space == std::string::npos || space <= line + column) break;
        text.replace(space, 1, "\n" + std::string(column, ' '));
        line = space + 1;
    }
}

// A command's usage or help with the formats in it.
std::string WithFormats(std::string_view text) {
    std::string filled(text), names;
    for (const TimelineFormat* format : TimelineFormats()) (names += names.empty() ? "" : "|") += format->Name();
    PutFormats(filled, "@NAMES@", names, false);
    PutFormats(filled, "@CHOICES@", FormatsInWords(FormatNotes::TheDefault));
    PutFormats(filled, "@DESCRIBED@", FormatsInWords(FormatNotes::Summaries));
    return filled;
}

// The usage lines of every command, or of one.
std::string UsageText(std::string_view only = {}) {
    std::string text;
    for (const CommandHelp& command : kCommands) {
        if (!only.empty() && command.name != only) continue;
        text += text.empty() ? "usage: " : "       ";
        text += "tallowmark-cli ";
        text += WithFormats(command.usage);
    }
    if (only.empty()) text += "       tallowmark-cli --help | --version | --list-formats | COMMAND --help\n";
    return text;
}

// A command's lines of the help; the carve command's say which images this build reads.
std::string HelpOf(const CommandHelp& command) {
    std::string text = WithFormats(command.help);
    if (command.name == "carve") text += CarveImagesHelp();
    if (command.name == "find") text += ImagesHelp();
    return text;
}

}  // namespace

int UsageError(std::ostream& err, const std::string& problem) {
    err << "tallowmark-cli: " << problem << "\n" << UsageText();
    return 2;
}

int ShowCommandHelp(std::ostream& out, std::string_view command) {
    for (const CommandHelp& help : kCommands)
        if (help.name == command) out << UsageText(command) << "\n" << HelpOf(help);
    return kHelpShown;
}

bool CommandArguments::Next() {
    while (++m_at < m_args.size()) {
        if (m_bOperandsOnly || m_args[m_at] != "--") return true;
        m_bOperandsOnly = true;
    }
    return false;
}

std::string FileProblem(const std::string& path, const Outcome& failure, std::string_view folderHint) {
    switch (failure.cause) {
        case FailureCause::NotFound: return path + " was not found";
        case FailureCause::NotAnIndexFile: return path + " is not a cache index file";
        case FailureCause::Other: break;
    }
    std::error_code ignored;
    if (!folderHint.empty() && std::filesystem::is_directory(PathFromUtf8(path), ignored))
        return path + " is a folder; " + FormatMessage(folderHint, {path});
    // The loader's messages that name the file already ("Access to X was denied.").
    if (failure.message.find(path) != std::string::npos) return failure.message;
    return path + ": " + failure.message;
}

void SayShortfall(std::ostream& err, const std::string& path, const FileShortfall& shortfall) {
    if (shortfall.Missing() != 0) err << "tallowmark-cli: " << ShortfallNotice(path, shortfall) << "\n";
}

bool ParseJobCount(const std::string& value, unsigned& jobs) {
    if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(value) == 0)
        return false;
    jobs = static_cast<unsigned>(std::stoul(value));
    return true;
}

int ParseTimelineFormat(const std::string& value, TimelineOptions& options, std::ostream& err) {
    const TimelineFormat* format = TimelineFormatNamed(value);
    if (!format) return UsageError(err, "unknown format " + value + " (" + FormatsInWords(FormatNotes::None) + ")");
    options.format = format;
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
        out << UsageText() << "\n" << kHelpStart << "\nCommands:\n";
        for (const CommandHelp& help : kCommands) out << HelpOf(help);
        out << kHelpEnd;
        return 0;
    }
    if (command == "--version") {
        out << kProductName << " " << kProductVersion << "\n";
        return 0;
    }
    if (command == "--list-formats") {
        for (const TimelineFormat* format : TimelineFormats()) out << format->Name() << "\n";
        return 0;
    }
    int code = 0;
    if (command == "export") code = RunExport(args, out, err, environment);
    else if (command == "info")
        code = RunInfo(args, out, err);
    else if (command == "timeline")
        code = RunTimeline(args, out, err, environment);
    else if (command == "find")
        code = RunFind(args, out, err, environment);
    else if (command == "carve")
        code = RunCarve(args, out, err, environment);
    else
        return UsageError(err, "unknown command " + command);
    return code == kHelpShown ? 0 : code;
}

}  // namespace tallowmark
