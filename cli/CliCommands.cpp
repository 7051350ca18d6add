#include "cli/CliCommands.h"

#include <filesystem>

#include "actions/FileProperties.h"
#include "model/NativePath.h"
#include "model/TallowmarkDoc.h"
#include "model/Version.h"

namespace tallowmark {

namespace {
constexpr const char* kUsage =
    "usage: tallowmark-cli export FILE [-o OUT] [--hide-blank] [--hide-badfood]\n"
    "       tallowmark-cli info FILE\n"
    "       tallowmark-cli --help | --version\n";

constexpr const char* kHelp =
    "Reads Windows cache index files (index.dat) and shows what they record.\n"
    "\n"
    "Commands:\n"
    "  export FILE    write every record as CSV to standard output\n"
    "    -o OUT         write to OUT instead\n"
    "    --hide-blank   leave out blank records\n"
    "    --hide-badfood leave out records filled with 0x0BADF00D\n"
    "  info FILE      name, location, version, recorded size and number of records\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage.\n";

int UsageError(std::ostream& err, const std::string& problem) {
    err << "tallowmark-cli: " << problem << "\n" << kUsage;
    return 2;
}

bool Load(TallowmarkDoc& document, const std::string& path, std::ostream& err) {
    const Outcome opened = document.OnOpenDocument(path);
    if (!opened) err << "tallowmark-cli: " << path << ": " << opened.message << "\n";
    return opened.ok;
}

int Export(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file, output;
    bool viewBlank = true, viewBadfood = true;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--hide-blank") viewBlank = false;
        else if (arg == "--hide-badfood") viewBadfood = false;
        else if (arg == "-o") {
            if (++i == args.size()) return UsageError(err, "-o needs a file name");
            output = args[i];
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") return UsageError(err, "unknown option " + arg);
        else if (file.empty()) file = arg;
        else return UsageError(err, "more than one input file");
    }
    if (file.empty()) return UsageError(err, "export needs a FILE");
    TallowmarkDoc document;
    if (!Load(document, file, err)) return 1;
    if (output.empty()) {
        document.WriteCsv(out, viewBlank, viewBadfood);
        out.flush();
        return out ? 0 : 1;
    }
    const Outcome written = document.ExportCsv(output, viewBlank, viewBadfood);
    if (!written) err << "tallowmark-cli: " << written.message << "\n";
    return written.ok ? 0 : 1;
}

int Info(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2) return UsageError(err, "info needs exactly one FILE");
    TallowmarkDoc document;
    if (!Load(document, args[1], err)) return 1;
    std::error_code ignored;
    const auto absolute = std::filesystem::absolute(PathFromUtf8(args[1]), ignored);
    if (!ignored) document.SetPathName(NativeSeparators(Utf8FromPath(absolute)));
    const FilePropertiesFacts facts = PropertiesOf(document);
    out << "Name: " << facts.name << "\n"
        << "Location: " << facts.location << "\n"
        << "Version: " << facts.version << "\n"
        << "Size: " << facts.size << "\n"
        << "Number of records: " << facts.records << "\n";
    return 0;
}
}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return UsageError(err, "no command given");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h") {
        out << kUsage << "\n" << kHelp;
        return 0;
    }
    if (command == "--version") {
        out << kProductName << " " << kProductVersion << "\n";
        return 0;
    }
    if (command == "export") return Export(args, out, err);
    if (command == "info") return Info(args, out, err);
    return UsageError(err, "unknown command " + command);
}

}  // namespace tallowmark
