// tallowmark-cli export and info: one index file, loose or inside a disk image.
#include "cli/CliSupport.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "forensic/ContainerInfo.h"
#include "model/Digest.h"
#include "model/IndexStream.h"
#include "model/TallowmarkDoc.h"
#include "platform/NativePath.h"
#include "platform/OutputFile.h"
#include "presentation/CsvExport.h"

namespace tallowmark {

namespace {
bool Load(TallowmarkDoc& document, const std::string& path, std::ostream& err) {
    const Outcome opened = document.OnOpenDocument(path);
    if (!opened) err << "tallowmark-cli: " << FileProblem(path, opened, kListFolderHint) << "\n";
    return opened.ok;
}

// A FILE, or --image with --path: 0, or the exit code of the usage error.
int CheckFileOrImage(const std::string& file, const ImageFileArgs& inImage, const char* noFile, std::ostream& err) {
    if (!inImage.Given()) return file.empty() ? UsageError(err, noFile) : 0;
    if (!file.empty()) return UsageError(err, "a FILE or --image, not both");
    if (inImage.image.empty() || inImage.path.empty()) return UsageError(err, "--image and --path go together");
    return 0;
}

}  // namespace

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const CliEnvironment& environment) {
    std::string file, output;
    ViewOptions shown;
    ImageFileArgs inImage;
    for (CommandArguments arguments(args); arguments.Next();) {
        const std::string& arg = arguments.Current();
        if (arguments.IsHelp()) return ShowCommandHelp(out, "export");
        if (const int taken = TakeImageFileOption(arguments, inImage, err); taken != kNotImageOption) {
            if (taken) return taken;
            continue;
        }
        if (!arguments.IsOption()) {
            if (!file.empty()) return UsageError(err, "more than one input file");
            file = arg;
        } else if (arg == "--hide-blank") {
            shown.viewBlankRecords = false;
        } else if (arg == "--hide-badfood") {
            shown.viewBadfoodRecords = false;
        } else if (arg == "-o") {
            const std::string* value = arguments.Value();
            if (!value) return UsageError(err, "-o needs a file name");
            output = *value;
        } else {
            return UsageError(err, "unknown option " + arg);
        }
    }
    if (const int usage = CheckFileOrImage(file, inImage, "export needs a FILE", err)) return usage;
    if (inImage.Given()) {
        const auto chosen = ChooseImageFile(inImage.image, inImage.path, inImage.inode, err);
        TallowmarkDoc document;
        if (!chosen || !LoadFromImage(document, *chosen, err)) return 1;
        return WriteOutput(output, {inImage.image}, out, err, [&](std::ostream& to) {
            WriteCsv(to, document, shown);
            SayShortfall(err, document.PathName(), document.Shortfall());
            return true;
        });
    }
    // One pass over the file, never holding it whole: the same lines as the desktop's
    // export of the loaded document.
    IndexStream stream;
    if (const Outcome opened = stream.Open(file); !opened) {
        err << "tallowmark-cli: " << FileProblem(file, opened, kListFolderHint) << "\n";
        return 1;
    }
    return WriteOutput(output, {file}, out, err, [&](std::ostream& to) {
        const Outcome walked = StreamCsv(stream, to, shown, environment.threads);
        if (!walked) err << "tallowmark-cli: " << FileProblem(file, walked) << "\n";
        else
            SayShortfall(err, file, stream.Shortfall());
        return walked.ok;
    });
}

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file;
    InfoFormat format = InfoFormat::Text;
    ImageFileArgs inImage;
    for (CommandArguments arguments(args); arguments.Next();) {
        if (arguments.IsHelp()) return ShowCommandHelp(out, "info");
        if (const int taken = TakeImageFileOption(arguments, inImage, err); taken != kNotImageOption) {
            if (taken) return taken;
            continue;
        }
        if (!arguments.IsOption()) {
            if (!file.empty()) return UsageError(err, "info needs exactly one FILE");
            file = arguments.Current();
        } else if (arguments.Current() == "--json") {
            format = InfoFormat::Json;
        } else {
            return UsageError(err, "unknown option " + arguments.Current());
        }
    }
    if (const int usage = CheckFileOrImage(file, inImage, "info needs exactly one FILE", err)) return usage;
    TallowmarkDoc document;
    if (inImage.Given()) {
        const auto chosen = ChooseImageFile(inImage.image, inImage.path, inImage.inode, err);
        if (!chosen || !LoadFromImage(document, *chosen, err)) return 1;
        SayShortfall(err, document.PathName(), document.Shortfall());
        WriteContainerInfo(out, document, format, DigestsOf(document.Image()));
        return 0;
    }
    if (!Load(document, file, err)) return 1;
    // The digests of the bytes on the disk, read once more from the start.
    const FileDigests digests = DigestsOfFile(file);
    if (digests.error != platform::FileError::None) {
        err << "tallowmark-cli: " << FileProblem(file, ReadFailure(digests.error, file)) << "\n";
        return 1;
    }
    SayShortfall(err, file, document.Shortfall());
    std::error_code ignored;
    const auto absolute = std::filesystem::absolute(PathFromUtf8(file), ignored);
    if (!ignored) document.SetPathName(NativeSeparators(Utf8FromPath(absolute)));
    WriteContainerInfo(out, document, format, digests);
    return 0;
}

}  // namespace tallowmark
