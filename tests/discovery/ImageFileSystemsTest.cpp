// The file systems inside disk images, on images the tests make: every index file found
// with its state and path, each read exactly as the loose file it was made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "discovery/ImageFileSystems.h"
#include "forensic/DiskImage.h"
#include "model/TallowmarkDoc.h"
#include "support/DiskImages.h"

namespace tallowmark {
namespace {

using testing::PlacedFile;
using testing::TempDir;
using testing::TestImage;

struct Walked {
    std::shared_ptr<ImageFileSystems> image;
    std::vector<FoundIndexFile> found;
    ImageWalkSummary summary;

    const FoundIndexFile* At(const std::string& path) const {
        const auto file = std::find_if(found.begin(), found.end(), [&](const auto& f) { return f.path == path; });
        return file == found.end() ? nullptr : &*file;
    }
};

class Collector : public ImageWalkSink {
public:
    explicit Collector(std::vector<FoundIndexFile>& found) : m_found(found) {}
    void Found(const FoundIndexFile& file) override { m_found.push_back(file); }

private:
    std::vector<FoundIndexFile>& m_found;
};

Outcome OpenFileSystems(const std::string& path, std::shared_ptr<ImageFileSystems>& image) {
    OpenedImage opened = OpenImage(path);
    if (!opened.reader) return opened.outcome;
    ImageFileSystems::Opened fileSystems = ImageFileSystems::Open(std::move(opened.reader), path);
    image = fileSystems.fileSystems;
    return fileSystems.outcome;
}

Walked Walk(const std::string& path, ImageWalkOptions options = {}) {
    Walked walked;
    const Outcome opened = OpenFileSystems(path, walked.image);
    if (!opened) throw std::runtime_error(opened.message);
    Collector collector(walked.found);
    walked.summary = walked.image->Walk(options, collector);
    return walked;
}

std::string Sha256Of(const std::string& path) {
    TempDir dir;
    const std::string sums = dir.Path("sums");
    std::system(("sha256sum '" + path + "' > '" + sums + "'").c_str());
    std::string text;
    std::ifstream(sums) >> text;
    return text;
}

// Every record of the file read from the image is the loose file's, byte for byte, with
// the same number and the same marks.
void ExpectReadsAsLoose(ImageFileSystems& image, const FoundIndexFile& found, const std::string& loosePath) {
    SCOPED_TRACE(found.path);
    const std::unique_ptr<ByteSource> source = image.OpenFile(found);
    ASSERT_TRUE(source);
    TallowmarkDoc inImage, loose;
    ASSERT_TRUE(inImage.OpenSource(*source, found.path));
    ASSERT_TRUE(loose.OnOpenDocument(loosePath));
    ASSERT_EQ(inImage.RecordCount(), loose.RecordCount());
    for (std::size_t i = 0; i < loose.RecordCount(); ++i) {
        const IndexRecord& a = inImage.Records()[i];
        const IndexRecord& b = loose.Records()[i];
        ASSERT_EQ(a.RecordNumber(), b.RecordNumber());
        ASSERT_EQ(a.TypeName(), b.TypeName());
        ASSERT_EQ(a.Size(), b.Size());
        ASSERT_TRUE(std::ranges::equal(a.Bytes(), b.Bytes()));
        ASSERT_EQ(a.Marks(), b.Marks());
        ASSERT_EQ(inImage.OffsetOf(a), loose.OffsetOf(b));
    }
    EXPECT_EQ(found.sha256, Sha256Of(loosePath));
    EXPECT_EQ(found.size, std::filesystem::file_size(loosePath));
}

// What the walk found is what was placed: each at its path, in its state, read as it must be.
void ExpectPlaced(const Walked& walked, const TestImage& image) {
    for (const PlacedFile& placed : image.placed) {
        SCOPED_TRACE(placed.path);
        const FoundIndexFile* found = walked.At(placed.path);
        ASSERT_TRUE(found);
        EXPECT_EQ(FileStateName(found->state), FileStateName(placed.state));
        EXPECT_EQ(FileContentName(found->content), FileContentName(placed.content));
        if (placed.content == FileContent::Index) ExpectReadsAsLoose(*walked.image, *found, placed.fixture);
        else
            EXPECT_EQ(walked.image->OpenFile(*found), nullptr);
    }
    EXPECT_EQ(walked.found.size(), image.placed.size());
    EXPECT_EQ(walked.summary.unreadable, 0u);
}

bool CanRead() { return ReadsImageFileSystems() && ReadsExpertWitnessImages() && !testing::RealFixtures().empty(); }

TEST(ImageFileSystems, XpProfileOnFatEveryIndexFileInItsStateAndReadAsLoose) {
    if (!CanRead()) GTEST_SKIP() << "needs libtsk, libewf and the real samples";
    TempDir dir;
    const TestImage image = testing::MakeXpFatImage(dir);
    const Walked walked = Walk(image.path);
    ExpectPlaced(walked, image);
    const FoundIndexFile& daily = *walked.At(image.placed[2].path);
    EXPECT_EQ(daily.partition.number, 1u);
    EXPECT_EQ(daily.partition.fileSystem, "FAT32");
    EXPECT_EQ(daily.profile.user, "bob");
    EXPECT_EQ(RoleText(daily.profile), "history-daily");
    EXPECT_TRUE(daily.times.modified);

    // By content, the file named otherwise is found too, and the one that is no index
    // file still listed as named.
    ImageWalkOptions byContent;
    byContent.byContent = true;
    const Walked all = Walk(image.path, byContent);
    EXPECT_EQ(all.found.size(), image.placed.size() + 1);
    ASSERT_TRUE(all.At("/Documents and Settings/bob/Desktop/evidence.bin"));
    EXPECT_TRUE(all.At("/Documents and Settings/bob/Desktop/INDEX.DAT"));

    // A path alone, as the command line asks for one.
    ImageWalkOptions onePath;
    onePath.onlyPath = image.placed[1].path;
    ASSERT_EQ(Walk(image.path, onePath).found.size(), 1u);
}

TEST(ImageFileSystems, Win7ProfileOnNtfsDeletedOrphanCompressedAndStreams) {
    if (!CanRead() || !testing::CanMakeNtfsImages()) GTEST_SKIP() << "needs libtsk, libewf, libntfs-3g and the real samples";
    TempDir dir;
    const TestImage image = testing::MakeWin7NtfsImage(dir);
    ImageWalkOptions byContent;
    byContent.byContent = true;  // the alternate stream holds an index file too: no second file
    const Walked walked = Walk(image.path, byContent);
    ExpectPlaced(walked, image);
    const FoundIndexFile& history = walked.found.front();
    EXPECT_EQ(history.partition.fileSystem, "NTFS");
    EXPECT_TRUE(history.sequence);
    EXPECT_EQ(history.profile.user, "bob");
    EXPECT_EQ(RoleText(history.profile), "history");
    EXPECT_TRUE(history.times.created && history.times.changed);
}

TEST(ImageFileSystems, PartitionTablesAreWalkedAndAnUnreadablePartitionIsNamedAndSkipped) {
    if (!CanRead() || !testing::CanMakeNtfsImages()) GTEST_SKIP() << "needs libtsk, libewf, libntfs-3g and the real samples";
    TempDir dir;
    const TestImage fat = testing::MakeXpFatImage(dir);
    const TestImage ntfs = testing::MakeWin7NtfsImage(dir);
    for (const bool gpt : {false, true}) {
        SCOPED_TRACE(gpt ? "GPT" : "MBR");
        const std::string disk = dir.Path(gpt ? "gpt.img" : "mbr.img");
        const std::vector<std::uint64_t> starts = testing::MakePartitionedDisk(disk, {fat.path, ntfs.path, {}}, gpt);
        const Walked walked = Walk(disk);
        ASSERT_EQ(walked.image->Partitions().size(), 2u);
        ASSERT_EQ(walked.image->Skipped().size(), 1u);
        EXPECT_NE(walked.image->Skipped()[0].find("partition 3"), std::string::npos) << walked.image->Skipped()[0];
        EXPECT_EQ(walked.found.size(), fat.placed.size() + ntfs.placed.size());
        for (const FoundIndexFile& found : walked.found) {
            const bool onFat = found.partition.number == 1;
            EXPECT_EQ(found.partition.startSector, starts[onFat ? 0 : 1]);
            EXPECT_EQ(found.partition.fileSystem, onFat ? "FAT32" : "NTFS");
        }
        const FoundIndexFile& compressed = *walked.At(ntfs.placed[1].path);
        EXPECT_EQ(compressed.partition.number, 2u);
        ExpectReadsAsLoose(*walked.image, compressed, ntfs.placed[1].fixture);
    }
}

TEST(ImageFileSystems, ExpertWitnessAndSplitRawReadAsTheRawImage) {
    if (!CanRead()) GTEST_SKIP() << "needs libtsk, libewf and the real samples";
    TempDir dir;
    const TestImage image = testing::MakeXpFatImage(dir);
    const Walked raw = Walk(image.path);
    const std::string single = testing::MakeExpertWitness(image.path, dir.Path("single"), 1ull << 30);
    const std::string several = testing::MakeExpertWitness(image.path, dir.Path("several"), 8 << 20);
    ASSERT_TRUE(std::filesystem::exists(dir.Path("several.E05")));
    ASSERT_TRUE(testing::RunProgram({"split", "-b", "7m", "-d", "-a", "3", "--numeric-suffixes=1", image.path,
                                     dir.Path("split.")}));
    for (const std::string& copy : {single, several, dir.Path("split.001")}) {
        SCOPED_TRACE(copy);
        const Walked read = Walk(copy);
        ASSERT_EQ(read.found.size(), raw.found.size());
        for (std::size_t i = 0; i < raw.found.size(); ++i) {
            EXPECT_EQ(read.found[i].path, raw.found[i].path);
            EXPECT_EQ(read.found[i].sha256, raw.found[i].sha256);
            EXPECT_EQ(read.found[i].content, raw.found[i].content);
        }
    }
}

TEST(ImageFileSystems, RefusalsSayWhatToDo) {
    if (!CanRead()) GTEST_SKIP() << "needs libtsk, libewf and the real samples";
    TempDir dir;
    std::shared_ptr<ImageFileSystems> image;
    const auto refusal = [&](const std::string& path) { return OpenFileSystems(path, image).message; };

    const std::string noise = dir.Path("noise.img");
    std::ofstream(noise, std::ios::binary) << std::string(1 << 20, '\x5A');
    EXPECT_NE(refusal(noise).find("no file system found: try tallowmark-cli carve"), std::string::npos);

    const std::string ex01 = dir.Path("newer.Ex01");
    std::ofstream(ex01, std::ios::binary) << std::string("EVF2\r\n\x81\x00", 8) << std::string(4096, '\0');
    EXPECT_NE(refusal(ex01).find("convert it with ewfexport first"), std::string::npos);

    const TestImage fat = testing::MakeXpFatImage(dir);
    const std::string several = testing::MakeExpertWitness(fat.path, dir.Path("several"), 8 << 20);
    std::filesystem::resize_file(dir.Path("several.E03"), 100000);
    EXPECT_NE(refusal(several).find("segment several.E03 is cut short"), std::string::npos) << refusal(several);
    std::filesystem::remove(dir.Path("several.E02"));
    EXPECT_NE(refusal(several).find("segment several.E02 is missing"), std::string::npos) << refusal(several);
}

TEST(ImageFileSystems, RealImagesWithDeletedFilesHoldNoIndexFile) {
    if (!ReadsImageFileSystems()) GTEST_SKIP() << "needs libtsk";
    TempDir dir;
    bool any = false;
    for (const std::string name : {"fs.ntfs", "fs.exfat"}) {
        const std::string packed = "/usr/share/forensics-samples/" + name + ".xz";
        if (!std::filesystem::exists(packed)) continue;
        any = true;
        SCOPED_TRACE(name);
        const std::string image = dir.Path(name);
        ASSERT_EQ(std::system(("xz -dc '" + packed + "' > '" + image + "'").c_str()), 0);
        ImageWalkOptions byContent;
        byContent.byContent = true;
        const Walked walked = Walk(image, byContent);
        EXPECT_TRUE(walked.found.empty());
        EXPECT_GT(walked.summary.folders, 5u);
        std::filesystem::remove(image);
    }
    if (!any) GTEST_SKIP() << "forensics-samples-ntfs and forensics-samples-exfat are not installed";
}

TEST(ProfilePaths, UserAndRoleFromThePath) {
    const auto facts = [](std::string_view path) {
        const ProfilePathFacts f = ProfilePathFactsOf(path);
        return f.user + "|" + RoleText(f);
    };
    EXPECT_EQ(facts("/Documents and Settings/bob/Local Settings/Temporary Internet Files/Content.IE5/index.dat"),
              "bob|cache");
    EXPECT_EQ(facts("/Users/Ann/AppData/Local/Microsoft/Windows/Temporary Internet Files/Low/Content.IE5/index.dat"),
              "Ann|cache, low integrity");
    EXPECT_EQ(facts("\\users\\ann\\appdata\\roaming\\microsoft\\windows\\cookies\\low\\index.dat"),
              "ann|cookie, low integrity");
    EXPECT_EQ(facts("/Users/ann/AppData/Local/Microsoft/Windows/History/History.IE5/MSHist012013031120130318/index.dat"),
              "ann|history-weekly");
    EXPECT_EQ(facts("/Windows/System32/config/systemprofile/AppData/Local/Microsoft/Windows/History/History.IE5/"
                    "index.dat"),
              "systemprofile|history");
    EXPECT_EQ(facts("/Windows/ServiceProfiles/NetworkService/AppData/Roaming/Microsoft/Windows/IECompatCache/"
                    "index.dat"),
              "NetworkService|iecompat");
    EXPECT_EQ(facts("/Users/ann/AppData/Local/Microsoft/Internet Explorer/DOMStore/index.dat"), "ann|domstore");
    EXPECT_EQ(facts("/$OrphanFiles/index.dat"), "|");
    EXPECT_EQ(facts("/Users/index.dat"), "|");  // a file, not a profile

    EXPECT_TRUE(IsIndexFileNameInImage("INDEX.DAT", false));
    EXPECT_TRUE(IsIndexFileNameInImage("_ndex.dat", true));
    EXPECT_FALSE(IsIndexFileNameInImage("_ndex.dat", false));
    EXPECT_FALSE(IsIndexFileNameInImage("index.dat.bak", true));
}

}  // namespace
}  // namespace tallowmark
