#include "support/DiskImages.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

#include "model/format/UrlRecordLayout.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark::testing {

namespace {
namespace fs = std::filesystem;

void Require(bool done, const std::string& what) {
    if (!done) throw std::runtime_error("making a test image failed: " + what);
}

// Runs an mtools command on the FAT image at `image`.
void Mtools(const std::string& command, const std::string& image, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {command, "-i", image});
    Require(RunProgram(arguments), command);
}

void WriteAt(const std::string& path, std::uint64_t offset, const std::string& bytes) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(static_cast<bool>(file), "writing into " + path);
}

// An index file of its own, whose URL record is found in an image by its text.
constexpr const char* kOverwrittenUrl = "http://overwritten.example/first-cluster";
}  // namespace

bool RunProgram(const std::vector<std::string>& arguments, const std::string& input) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    char said[] = "/tmp/tallowmark-tool-XXXXXX";
    const int output = mkstemp(said);
    if (output < 0) return false;
    unlink(said);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        dup2(pipeEnds[0], STDIN_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        // The tools talk; the test shows what they said only when one fails.
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[0]);
    for (std::size_t written = 0; written < input.size();) {
        const ssize_t part = write(pipeEnds[1], input.data() + written, input.size() - written);
        if (part <= 0) break;
        written += static_cast<std::size_t>(part);
    }
    close(pipeEnds[1]);
    int status = 0;
    waitpid(child, &status, 0);
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) {
        lseek(output, 0, SEEK_SET);
        char buffer[4096];
        for (ssize_t got; (got = read(output, buffer, sizeof buffer)) > 0;) std::cerr.write(buffer, got);
    }
    close(output);
    return ok;
}

std::string RealFixtures() {
    const std::string folder = TALLOWMARK_FIXTURES_DIR;
    return fs::exists(folder + "/history-ie5-index.dat") ? folder : std::string();
}

void MakeFat32(const std::string& path, unsigned megabytes) {
    setenv("MTOOLS_SKIP_CHECK", "1", 1);
    {
        std::ofstream(path, std::ios::binary).close();
        fs::resize_file(path, std::uint64_t{megabytes} << 20);
    }
    Require(RunProgram({"mkfs.fat", "-F", "32", "-s", "1", "-S", "512", "-n", "TEST", path}), "mkfs.fat");
}

void FatPut(const std::string& image, const std::string& local, const std::string& path) {
    // The folders made in each image so far: mtools makes one folder at a time.
    static std::map<std::string, std::set<std::string>> made;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (made[image].insert(folder).second) Mtools("mmd", image, {"::" + folder});
    }
    Mtools("mcopy", image, {local, "::" + path});
}

void FatDelete(const std::string& image, const std::string& path) { Mtools("mdel", image, {"::" + path}); }

TestImage MakeXpFatImage(const TempDir& dir) {
    const std::string real = RealFixtures();
    TestImage image{dir.Path("xp-fat32.img"), {}};
    MakeFat32(image.path, 40);
    const std::string profile = "/Documents and Settings/bob";
    const auto put = [&](const std::string& local, const std::string& path) { FatPut(image.path, local, path); };
    const std::string content = profile + "/Local Settings/Temporary Internet Files/Content.IE5/index.dat";
    const std::string history = profile + "/Local Settings/History/History.IE5/index.dat";
    const std::string daily = profile + "/Local Settings/History/History.IE5/MSHist012013031020130311/index.dat";
    put(real + "/content-ie5-index.dat", content);
    put(real + "/history-ie5-index.dat", history);
    put(real + "/history-ie5-index.dat", daily);
    const std::string notIndex = dir.Path("not-an-index");
    std::ofstream(notIndex) << "a file named INDEX.DAT that holds no index\n";
    put(notIndex, profile + "/Desktop/INDEX.DAT");
    put(real + "/content-ie5-index.dat", profile + "/Desktop/evidence.bin");

    // A deleted file whose first cluster now holds other bytes.
    IndexFileBuilder builder;
    builder.Hash();
    const std::size_t urlOffset = builder.Position();
    UrlEntry entry;
    entry.url = kOverwrittenUrl;
    builder.Url(entry);
    const std::string overwritten = dir.Path("overwritten-index.dat");
    builder.WriteTo(overwritten);
    put(overwritten, "/Documents and Settings/alice/Cookies/index.dat");
    FatDelete(image.path, "/Documents and Settings/alice/Cookies/index.dat");
    const std::size_t urlInImage = ReadText(image.path).find(kOverwrittenUrl);
    Require(urlInImage != std::string::npos, "finding the file to write over");
    WriteAt(image.path, urlInImage - urlOffset - tallowmark::urlrecord::kUrlText.v52, std::string(512, 'X'));

    put(real + "/leaks-index.dat", profile + "/Cookies/index.dat");
    FatDelete(image.path, profile + "/Cookies/index.dat");

    image.placed = {
        {content, real + "/content-ie5-index.dat"},
        {history, real + "/history-ie5-index.dat"},
        {daily, real + "/history-ie5-index.dat"},
        {profile + "/Desktop/INDEX.DAT", {}, FileState::Allocated, FileContent::NoSignature},
        {"/Documents and Settings/alice/Cookies/_ndex.dat", {}, FileState::Deleted, FileContent::Overwritten},
        {profile + "/Cookies/_ndex.dat", real + "/leaks-index.dat", FileState::Deleted},
    };
    return image;
}

bool CanMakeNtfsImages() {
#ifdef TALLOWMARK_NTFS_HELPER
    return true;
#else
    return false;
#endif
}

TestImage MakeWin7NtfsImage(const TempDir& dir) {
#ifndef TALLOWMARK_NTFS_HELPER
    (void)dir;
    throw std::runtime_error("this build has no NTFS test helper (libntfs-3g was not found)");
#else
    const std::string real = RealFixtures();
    TestImage image{dir.Path("win7-ntfs.img"), {}};
    {
        std::ofstream(image.path, std::ios::binary).close();
        fs::resize_file(image.path, 24 << 20);
    }
    Require(RunProgram({"mkfs.ntfs", "-q", "-F", "-f", "-c", "4096", image.path}), "mkfs.ntfs");
    const std::string windows = "/Users/bob/AppData/Local/Microsoft/Windows";
    const std::string cookies = "/Users/bob/AppData/Roaming/Microsoft/Windows/Cookies";
    std::ostringstream script;
    for (const std::string& folder : std::vector<std::string>{"/Users", "/Users/bob", "/Users/bob/AppData", "/Users/bob/AppData/Local", "/Users/bob/AppData/Local/Microsoft",
          windows, windows + "/History", windows + "/History/History.IE5", "/Users/bob/AppData/Roaming",
          "/Users/bob/AppData/Roaming/Microsoft", "/Users/bob/AppData/Roaming/Microsoft/Windows", cookies,
          std::string("/Users/bob/Gone")})
        script << "mkdir\t" << folder << "\n";
    script << "mkdir-compressed\t" << windows << "/Temporary Internet Files\n"
           << "mkdir\t" << windows << "/Temporary Internet Files/Content.IE5\n"
           << "put\t" << windows << "/History/History.IE5/index.dat\t" << real << "/history-ie5-index.dat\n"
           << "stream\t" << windows << "/History/History.IE5/index.dat\tZone.Identifier\t" << real
           << "/content-ie5-index.dat\n"
           << "put\t" << windows << "/Temporary Internet Files/Content.IE5/index.dat\t" << real << "/leaks-index.dat\n"
           << "put\t" << cookies << "/index.dat\t" << real << "/content-ie5-index.dat\n"
           << "put\t/Users/bob/Gone/index.dat\t" << real << "/history-ie5-index.dat\n"
           // The folder goes, and a new one takes its MFT entry: the file has no folder left.
           << "rm\t/Users/bob/Gone/index.dat\n"
           << "rm\t/Users/bob/Gone\n"
           << "mkdir\t/Users/bob/New\n"
           << "rm\t" << cookies << "/index.dat\n";
    Require(RunProgram({TALLOWMARK_NTFS_HELPER, image.path}, script.str()), "the NTFS helper");
    image.placed = {
        {windows + "/History/History.IE5/index.dat", real + "/history-ie5-index.dat"},
        {windows + "/Temporary Internet Files/Content.IE5/index.dat", real + "/leaks-index.dat"},
        {cookies + "/index.dat", real + "/content-ie5-index.dat", FileState::Deleted},
        {"/$OrphanFiles/index.dat", real + "/history-ie5-index.dat", FileState::Orphan},
    };
    return image;
#endif
}

std::vector<std::uint64_t> MakePartitionedDisk(const std::string& path, const std::vector<std::string>& partitions,
                                               bool gpt) {
    std::vector<std::uint64_t> sectors;
    for (const std::string& partition : partitions)
        sectors.push_back(partition.empty() ? 4096 : (fs::file_size(partition) + 511) / 512);
    std::uint64_t total = 2048 + 2048 * 2;  // the tables, a gap before each logical partition, GPT's copy
    for (const std::uint64_t count : sectors) total += count + 2048;
    {
        std::ofstream(path, std::ios::binary).close();
        fs::resize_file(path, total * 512);
    }
    std::ostringstream script;
    script << "label: " << (gpt ? "gpt" : "dos") << "\nunit: sectors\n";
    for (std::size_t i = 0; i < partitions.size(); ++i) {
        if (!gpt && i == 1) script << "type=5\n";  // the extended partition holds the rest
        script << "size=" << sectors[i] << ", type=" << (gpt ? "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7" : i == 0 ? "c" : "7")
               << "\n";
    }
    Require(RunProgram({"sfdisk", "--quiet", "--no-reread", "--no-tell-kernel", path}, script.str()), "sfdisk");
    // Where sfdisk put each partition: "PATH1 : start= 2048, size= …".
    int dumped[2];
    Require(pipe(dumped) == 0, "a pipe");
    const pid_t child = fork();
    if (child == 0) {
        dup2(dumped[1], STDOUT_FILENO);
        close(dumped[0]);
        execlp("sfdisk", "sfdisk", "--dump", path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(dumped[1]);
    std::string table;
    char buffer[4096];
    for (ssize_t got; (got = read(dumped[0], buffer, sizeof buffer)) > 0;) table.append(buffer, static_cast<std::size_t>(got));
    close(dumped[0]);
    waitpid(child, nullptr, 0);
    std::vector<std::uint64_t> starts;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t start = line.find("start=");
        if (line.rfind(path, 0) != 0 || start == std::string::npos || line.find("type=5,") != std::string::npos ||
            line.find("type=5\n") != std::string::npos || line.ends_with("type=5"))
            continue;
        starts.push_back(std::stoull(line.substr(start + 6)));
    }
    Require(starts.size() == partitions.size(), "reading the partition table back");
    std::mt19937 random(7);
    for (std::size_t i = 0; i < partitions.size(); ++i) {
        std::string bytes;
        if (partitions[i].empty()) {
            bytes.resize(sectors[i] * 512);
            for (char& c : bytes) c = static_cast<char>(random());
        } else {
            bytes = ReadText(partitions[i]);
        }
        WriteAt(path, starts[i] * 512, bytes);
    }
    return starts;
}

std::string MakeExpertWitness(const std::string& raw, const std::string& target, std::uint64_t segmentBytes) {
    Require(RunProgram({"ewfacquire", "-u", "-q", "-t", target, "-f", "encase6", "-c", "none", "-S",
                        std::to_string(segmentBytes), raw}),
            "ewfacquire");
    return target + ".E01";
}

}  // namespace tallowmark::testing
