// The commands' work on the index files inside disk images: find --image (with --json and
// --extract), the files a timeline reads from images, and the one file info and export
// read with --image and --path.
#include <filesystem>
#include <ostream>

#include "cli/CliSupport.h"
#include "cli/ProgressLine.h"
#include "discovery/ImageFileList.h"
#include "forensic/JsonText.h"
#include "model/PreciseTime.h"
#include "platform/NativePath.h"
#include "platform/OutputFile.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
// Reports the walk's finds as they come, and its progress on a terminal.
class ImageLister : public ImageWalkSink {
public:
    ImageLister(ProgressLine& progress, std::size_t fileSystems, const std::function<void(const FoundIndexFile&)>& found)
        : m_progress(progress), m_fileSystems(fileSystems), m_found(found) {}
    void Found(const FoundIndexFile& file) override {
        m_progress.Clear();
        m_found(file);
    }
    void Progress(const ImageWalkProgress& progress) override {
        m_progress.UpdateText(ImageWalkProgressText(progress, m_fileSystems));
    }

private:
    ProgressLine& m_progress;
    const std::size_t m_fileSystems;
    const std::function<void(const FoundIndexFile&)>& m_found;
};

// One field of a found file, as JSON and the manifest write it.
struct FoundField {
    enum class Form { Text, Number, Bool, Null };
    std::string_view name;
    Form form;
    std::string text;  // the text, or the number's digits
};

void AddTime(std::vector<FoundField>& fields, std::string_view name, const std::optional<FileTime>& time) {
    std::string text;
    if (time && AppendPreciseInstant(text, *time, true, false)) fields.push_back({name, FoundField::Form::Text, text});
    else
        fields.push_back({name, FoundField::Form::Null, {}});
}

// Every field `find --image` lists of a file, in order: the one list JSON and the
// manifest follow.
std::vector<FoundField> FieldsOf(const std::string& image, const FoundIndexFile& file) {
    using Form = FoundField::Form;
    const auto number = [](std::uint64_t value) { return std::to_string(value); };
    const auto textOrNull = [](std::string_view name, const std::string& text) {
        return text.empty() ? FoundField{name, Form::Null, {}} : FoundField{name, Form::Text, text};
    };
    std::vector<FoundField> fields = {
        {"image", Form::Text, TextToUtf8(image)},
        {"partition", Form::Number, number(file.partition.number)},
        {"partition_start", Form::Number, number(file.partition.startSector)},
        {"file_system", Form::Text, file.partition.fileSystem},
        {"path", Form::Text, file.path},
        {"inode", Form::Number, number(file.inode)},
        file.sequence ? FoundField{"sequence", Form::Number, number(*file.sequence)} : FoundField{"sequence", Form::Null, {}},
        {"state", Form::Text, std::string(FileStateName(file.state))},
        {"content", Form::Text, std::string(FileContentName(file.content))},
        {"size", Form::Number, number(file.size)},
    };
    AddTime(fields, "created", file.times.created);
    AddTime(fields, "modified", file.times.modified);
    AddTime(fields, "accessed", file.times.accessed);
    AddTime(fields, "changed", file.times.changed);
    fields.push_back(textOrNull("sha256", file.sha256));
    fields.push_back(textOrNull("user", file.profile.user));
    fields.push_back(textOrNull("role", file.profile.role ? std::string(EntryKindName(*file.profile.role)) : std::string()));
    fields.push_back({"low_integrity", Form::Bool, file.profile.lowIntegrity ? "true" : "false"});
    return fields;
}

std::string JsonLine(const std::vector<FoundField>& fields) {
    std::string line = "{";
    for (const FoundField& field : fields) {
        if (line.size() > 1) line += ',';
        AppendJsonString(line, field.name);
        line += ':';
        if (field.form == FoundField::Form::Text) AppendJsonString(line, field.text);
        else
            line += field.form == FoundField::Form::Null ? std::string("null") : field.text;
    }
    return line + "}\n";
}

void AppendCsvRow(std::string& out, const std::vector<FoundField>& fields, const std::string& written) {
    for (const FoundField& field : fields) {
        if (field.form == FoundField::Form::Text) {
            out += '"';
            AppendCsvEscaped(out, field.text);
            out += '"';
        } else {
            out += field.text;
        }
        out += ',';
    }
    out += '"';
    AppendCsvEscaped(out, written);
    out += "\"\r\n";
}

// The text line: state, partition, path, size, SHA-256, parted by tabs; control
// characters of a name read from the image are shown as "?" (--json keeps them).
std::string TextLine(const FoundIndexFile& file) {
    const ImageFileRow row = ImageFileRowOf(file);
    std::string path = file.path;
    for (char& c : path)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    return row.state + '\t' + std::to_string(file.partition.number) + '\t' + path + '\t' + row.size + '\t' +
           (file.sha256.empty() ? "-" : file.sha256) + '\n';
}

// What the user should know of a walk beyond the files: what was not read, and why.
void ReportWalk(const std::string& image, const std::vector<FoundIndexFile>& found, const ImageWalkSummary& summary,
                std::ostream& err) {
    std::size_t overwritten = 0;
    for (const FoundIndexFile& file : found) overwritten += file.content == FileContent::Overwritten;
    if (overwritten)
        err << "tallowmark-cli: " << image << ": " << overwritten
            << (overwritten == 1 ? " deleted file is" : " deleted files are")
            << " overwritten and not read; tallowmark-cli carve " << image << " recovers the records left\n";
    if (summary.unreadable)
        err << "tallowmark-cli: " << image << ": " << summary.unreadable
            << (summary.unreadable == 1 ? " folder or file" : " folders or files") << " could not be read\n";
}

// The name a found file is written out as: its partition and metadata address, never a
// name read from the image.
std::string ExtractedName(const FoundIndexFile& file) {
    std::string name = "partition-" + std::to_string(file.partition.number) + "-inode-" + std::to_string(file.inode);
    if (file.sequence) name += "-" + std::to_string(*file.sequence);
    return name + ".dat";
}
}  // namespace

std::shared_ptr<ImageFileSystems> OpenImageFileSystems(const std::string& path, std::ostream& err) {
    OpenedImage image = OpenImage(path);
    if (!image.reader) {
        err << "tallowmark-cli: " << image.outcome.message << "\n";
        return nullptr;
    }
    ImageFileSystems::Opened opened = ImageFileSystems::Open(std::move(image.reader), path);
    if (!opened.fileSystems) {
        err << "tallowmark-cli: " << opened.outcome.message << "\n";
        return nullptr;
    }
    for (const std::string& skipped : opened.fileSystems->Skipped())
        err << "tallowmark-cli: " << path << ": " << skipped << "\n";
    return opened.fileSystems;
}

std::vector<FoundIndexFile> WalkImage(ImageFileSystems& image, const ImageWalkOptions& options, std::ostream& err,
                                      bool atTerminal, const std::function<void(const FoundIndexFile&)>& found) {
    std::vector<FoundIndexFile> all;
    const std::function<void(const FoundIndexFile&)> keep = [&](const FoundIndexFile& file) {
        all.push_back(file);
        if (found) found(file);
    };
    ProgressLine progress(err, atTerminal);
    ImageLister lister(progress, image.Partitions().size(), keep);
    const ImageWalkSummary summary = image.Walk(options, lister);
    progress.Clear();
    ReportWalk(image.Name(), all, summary, err);
    return all;
}

bool SayImageDamage(const ImageFileSystems& image, std::ostream& err) {
    const std::vector<std::string> damage = image.Damage();
    for (const std::string& line : damage) err << "tallowmark-cli: " << image.Name() << ": " << line << "\n";
    return damage.empty();
}

int FindInImages(const FindInImagesRequest& request, std::ostream& out, std::ostream& err, bool atTerminal) {
    bool ok = true;
    std::string manifest;
    for (const std::string& path : request.images) {
        const std::shared_ptr<ImageFileSystems> image = OpenImageFileSystems(path, err);
        if (!image) {
            ok = false;
            continue;
        }
        ImageWalkOptions options;
        options.byContent = request.byContent;
        const std::vector<FoundIndexFile> found = WalkImage(*image, options, err, atTerminal, [&](const FoundIndexFile& file) {
            out << (request.json ? JsonLine(FieldsOf(path, file)) : TextLine(file));
        });
        for (const FoundIndexFile& file : found) {
            if (request.extractFolder.empty()) break;
            std::string written;
            if (const std::unique_ptr<ByteSource> source = file.Readable() ? image->OpenFile(file) : nullptr) {
                const std::string target =
                    Utf8FromPath(PathFromUtf8(request.extractFolder) / PathFromUtf8(ExtractedName(file)));
                if (ExtractBytes(*source, target, request.images,
                                 [&](const std::string& message) { err << "tallowmark-cli: " << message << "\n"; }))
                    written = ExtractedName(file);
                else
                    ok = false;
            }
            AppendCsvRow(manifest, FieldsOf(path, file), written);
        }
        ok = SayImageDamage(*image, err) && ok;
    }
    out.flush();
    if (!request.extractFolder.empty()) {
        std::string header;
        for (const FoundField& field : FieldsOf({}, {})) header += std::string(field.name) + ',';
        header += "written\r\n";
        const std::string target = Utf8FromPath(PathFromUtf8(request.extractFolder) / "manifest.csv");
        manifest.insert(0, header);
        MemorySource all(ByteView(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()));
        ok = ExtractBytes(all, target, request.images,
                          [&](const std::string& message) { err << "tallowmark-cli: " << message << "\n"; }) &&
             ok;
    }
    return ok && out ? 0 : 1;
}

std::optional<ImageFileChoice> ChooseImageFile(const std::string& imagePath, const std::string& pathSpec,
                                               std::optional<std::uint64_t> inode, std::ostream& err) {
    // "2:/Users/…" names the partition; a path inside an image always starts with "/".
    std::optional<unsigned> partition;
    std::string path = pathSpec;
    if (const std::size_t colon = path.find(':'); colon != std::string::npos && colon > 0 &&
                                                   path.find_first_not_of("0123456789") == colon) {
        partition = static_cast<unsigned>(std::stoul(path.substr(0, colon)));
        path.erase(0, colon + 1);
    }
    std::shared_ptr<ImageFileSystems> image = OpenImageFileSystems(imagePath, err);
    if (!image) return std::nullopt;
    ImageWalkOptions options;
    options.onlyPath = path;
    std::vector<FoundIndexFile> matches;
    for (FoundIndexFile& file : WalkImage(*image, options, err, false, {}))
        if ((!partition || file.partition.number == *partition) && (!inode || file.inode == *inode))
            matches.push_back(std::move(file));
    if (matches.size() != 1) {
        err << "tallowmark-cli: " << imagePath << ": ";
        if (matches.empty()) {
            err << "no file at " << pathSpec << " (find --image lists them)\n";
        } else {
            err << pathSpec << " names " << matches.size() << " files; name one with PARTITION:PATH or --inode:";
            for (const FoundIndexFile& file : matches)
                err << " " << file.partition.number << ":" << file.path << " (" << FileStateName(file.state)
                    << ", inode " << file.inode << ")";
            err << "\n";
        }
        return std::nullopt;
    }
    if (!matches[0].Readable()) {
        err << "tallowmark-cli: " << imagePath << ": " << pathSpec << ": " << NotReadText(matches[0]) << "\n";
        return std::nullopt;
    }
    return ImageFileChoice{std::move(image), std::move(matches[0])};
}

bool LoadFromImage(TallowmarkDoc& document, const ImageFileChoice& choice, std::ostream& err) {
    const std::string source = ImageSourceText(choice.image->Name(), choice.file.partition.number, choice.file.path);
    const std::unique_ptr<ByteSource> bytes = choice.image->OpenFile(choice.file);
    const Outcome opened = bytes ? document.OpenSource(*bytes, source) : Outcome::Failure(kMsgFailedToOpen);
    if (!opened) {
        err << "tallowmark-cli: " << source << ": " << opened.message << "\n";
        return false;
    }
    if (!SayImageDamage(*choice.image, err)) return false;
    document.SetTitle(source);
    document.SetOrigin(OriginOf(choice.image, choice.file));
    return true;
}

int TakeImageFileOption(CommandArguments& arguments, ImageFileArgs& into, std::ostream& err) {
    if (!arguments.IsOption()) return kNotImageOption;
    const std::string option = arguments.Current();
    if (option != "--image" && option != "--path" && option != "--inode") return kNotImageOption;
    const std::string* value = arguments.Value();
    if (!value) return UsageError(err, option + " needs a value");
    if (option == "--image") into.image = *value;
    else if (option == "--path")
        into.path = *value;
    else if (value->empty() || value->size() > 19 || value->find_first_not_of("0123456789") != std::string::npos)
        return UsageError(err, "--inode needs a number");
    else
        into.inode = std::stoull(*value);
    return 0;
}

std::string ImagesHelp() {
    return ReadsImageFileSystems() ? std::string()
                                   : "                 (this build reads no file systems inside disk images: it has no "
                                     "libtsk,\n                 or its module tallowmark-filesystems.so is not installed)\n";
}

}  // namespace tallowmark
