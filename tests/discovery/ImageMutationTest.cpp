// Damaged disk images: a few hundred mutations of the test images in their file system
// structures (boot sectors, FATs and folders, MFT records and index blocks), each read in
// a child process as the commands read one: every partition walked by name and by
// content, every file found that reads loaded as a document. None may crash or hang (a
// time limit per image), and none may change the image. Run by make asan-test, under the
// sanitizers.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "discovery/ImageFileSystems.h"
#include "forensic/DiskImage.h"
#include "model/RecordEvidence.h"
#include "model/TallowmarkDoc.h"
#include "support/DiskImages.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark {
namespace {

using testing::Buffer;
using testing::TempDir;

constexpr auto kTimeLimit = std::chrono::seconds(30);
constexpr int kMutationsPerImage = 150;

class Ignore : public ImageWalkSink {
public:
    std::vector<FoundIndexFile> found;
    void Found(const FoundIndexFile& file) override { found.push_back(file); }
};

// What a command does with an image: walk it, read each file found, load it, and look
// into the files beside one as the cached-file command does.
int ReadAsTheCommandsDo(const std::string& path) {
    OpenedImage opened = OpenImage(path);
    if (!opened.reader) return 0;
    const ImageFileSystems::Opened image = ImageFileSystems::Open(std::move(opened.reader), path);
    if (!image.fileSystems) return 0;
    Ignore sink;
    ImageWalkOptions byContent;
    byContent.byContent = true;
    image.fileSystems->Walk(byContent, sink);
    for (const FoundIndexFile& file : sink.found) {
        const std::unique_ptr<ByteSource> source = image.fileSystems->OpenFile(file);
        if (!source) continue;
        TallowmarkDoc document;
        if (!document.OpenSource(*source, file.path)) continue;
        for (const auto& record : document.Records()) (void)RecordEvidence(record).Status();
        (void)image.fileSystems->OpenPath(file.partition.number, file.path);
    }
    return 0;
}

// Runs the reading in a child; empty when it ended well, else what went wrong.
std::string ReadInChild(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) _exit(ReadAsTheCommandsDo(path));
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return "no end within the time limit";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    if (WEXITSTATUS(status) != 0) return "exit status " + std::to_string(WEXITSTATUS(status));
    return {};
}

// The places that hold a file system's structures, as [start, end) byte ranges.
std::vector<std::pair<std::size_t, std::size_t>> StructuresOf(const Buffer& image) {
    std::vector<std::pair<std::size_t, std::size_t>> places = {{0, 512}};  // the boot sector
    const auto u16 = [&](std::size_t at) { return static_cast<std::size_t>(image[at] | image[at + 1] << 8); };
    const auto u32 = [&](std::size_t at) { return static_cast<std::size_t>(ReadU32(ByteView(image), at)); };
    if (std::string_view(reinterpret_cast<const char*>(image.data()) + 3, 4) == "NTFS") {
        // Every MFT record ("FILE") and folder index block ("INDX").
        for (std::size_t at = 0; at + 1024 <= image.size(); at += 512) {
            const std::string_view magic(reinterpret_cast<const char*>(image.data()) + at, 4);
            if (magic == "FILE") places.push_back({at, at + 1024});
            else if (magic == "INDX")
                places.push_back({at, at + 4096});
        }
    } else {
        // FAT32: the reserved sectors and both FATs, then the first clusters, where the
        // folders made first lie.
        const std::size_t sector = u16(11), reserved = u16(14), fats = image[16], fatSectors = u32(36);
        const std::size_t data = (reserved + fats * fatSectors) * sector;
        places.push_back({reserved * sector, data});
        places.push_back({data, std::min(image.size(), data + 256 * sector)});
    }
    return places;
}

// One mutation: a few bytes flipped, or a field set to 0, to all ones or to a large
// value. Returns where, for the file to be written there and put back after.
std::pair<std::size_t, std::size_t> Mutate(Buffer& image, const std::vector<std::pair<std::size_t, std::size_t>>& places,
                                           std::mt19937& random, std::string& what) {
    const auto& place = places[random() % places.size()];
    const std::size_t width = std::size_t{1} << (random() % 4);  // 1, 2, 4 or 8 bytes
    const std::size_t at = place.first + random() % (place.second - place.first - width + 1);
    const unsigned kind = random() % 4;
    for (std::size_t i = 0; i < width; ++i) {
        std::uint8_t& byte = image[at + i];
        switch (kind) {
            case 0: byte ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
            case 1: byte = 0; break;
            case 2: byte = 0xFF; break;
            default: byte = static_cast<std::uint8_t>(random()); break;
        }
    }
    what += std::to_string(width) + " bytes of kind " + std::to_string(kind) + " at " + std::to_string(at) + "; ";
    return {at, width};
}

void WriteBytes(const std::string& path, const Buffer& image, std::pair<std::size_t, std::size_t> range) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(range.first));
    file.write(reinterpret_cast<const char*>(image.data() + range.first), static_cast<std::streamsize>(range.second));
}

// Whether the file at `path` holds `bytes` and nothing else, compared a megabyte at a time.
bool HoldsExactly(const std::string& path, const Buffer& bytes) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> piece(1 << 20);
    for (std::size_t at = 0;; at += piece.size()) {
        file.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<std::size_t>(file.gcount());
        if (got > bytes.size() - at || std::memcmp(piece.data(), bytes.data() + at, got) != 0) return false;
        if (got < piece.size()) return at + got == bytes.size();
    }
}

// Each mutation is written into one copy of the image and put back after its reading, so
// that hundreds cost no more than the bytes they change.
void MutateAndRead(const TempDir& dir, const std::string& original, std::uint32_t seed) {
    const Buffer pristine = testing::ReadFile(original);
    const auto places = StructuresOf(pristine);
    std::mt19937 random(seed);
    const std::string path = dir.Path("mutated.img");
    testing::WriteFile(path, pristine);
    Buffer image = pristine;
    for (int i = 0; i < kMutationsPerImage; ++i) {
        std::string what;
        std::vector<std::pair<std::size_t, std::size_t>> changed;
        for (unsigned n = 1 + random() % 4; n > 0; --n) changed.push_back(Mutate(image, places, random, what));
        for (const auto& range : changed) WriteBytes(path, image, range);
        const std::string failure = ReadInChild(path);
        EXPECT_EQ(failure, "") << "mutation " << i << " of seed " << seed << ": " << what;
        ASSERT_TRUE(HoldsExactly(path, image)) << "the image changed: mutation " << i << ": " << what;
        if (!failure.empty()) {
            // Kept for a person to run again.
            std::filesystem::copy_file(path, dir.Root().parent_path() / ("tallowmark-mutated-" + std::to_string(i) + ".img"),
                                       std::filesystem::copy_options::overwrite_existing);
        }
        for (auto range = changed.rbegin(); range != changed.rend(); ++range) {
            std::copy_n(pristine.begin() + static_cast<std::ptrdiff_t>(range->first), range->second,
                        image.begin() + static_cast<std::ptrdiff_t>(range->first));
            WriteBytes(path, image, *range);
        }
    }
}

TEST(ImageMutations, DamagedFileSystemsNeitherCrashNorHangNorChange) {
    if (!ReadsImageFileSystems() || testing::RealFixtures().empty()) GTEST_SKIP() << "needs libtsk and the real samples";
    TempDir dir;
    MutateAndRead(dir, testing::MakeXpFatImage(dir).path, 1);
    if (testing::CanMakeNtfsImages()) MutateAndRead(dir, testing::MakeWin7NtfsImage(dir).path, 2);
}

}  // namespace
}  // namespace tallowmark
