// The command line on the index files inside disk images: find --image and its JSON,
// extraction and manifest; timeline, info and export of files read from an image; and
// nothing ever written to the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/CliRun.h"
#include "discovery/ImageFileSystems.h"
#include "forensic/DiskImage.h"
#include "support/DiskImages.h"
#include "support/FlatJson.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark {
namespace {

namespace fs = std::filesystem;
using testing::Cli;
using testing::FlatJson;
using testing::TempDir;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.ends_with('\r')) line.pop_back();  // CSV ends its lines with CR LF
        lines.push_back(line);
    }
    return lines;
}

class ImageCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ReadsImageFileSystems() || testing::RealFixtures().empty()) {
            GTEST_SKIP() << "needs libtsk and the real samples";
        }
        m_image = testing::MakeXpFatImage(m_dir);
        m_before = testing::ReadFile(m_image.path);
    }
    // Whatever a command did, the image is as it was.
    void TearDown() override {
        if (!m_image.path.empty()) {
            EXPECT_TRUE(testing::ReadFile(m_image.path) == m_before);
        }
    }

    TempDir m_dir;
    testing::TestImage m_image;
    testing::Buffer m_before;
};

TEST_F(ImageCli, FindListsEveryFileAsTextAndJsonAndExtractsWhatReadsWithAManifest) {
    const auto text = Cli({"find", "--image", m_image.path});
    ASSERT_EQ(text.code, 0) << text.err;
    const std::vector<std::string> lines = Lines(text.out);
    ASSERT_EQ(lines.size(), m_image.placed.size());
    EXPECT_EQ(lines[0].substr(0, lines[0].rfind('\t')),
              "allocated\t1\t" + m_image.placed[0].path + "\t" + std::to_string(fs::file_size(m_image.placed[0].fixture)));
    EXPECT_NE(text.out.find("deleted, overwritten\t1\t/Documents and Settings/alice/Cookies/_ndex.dat\t"), std::string::npos);
    EXPECT_NE(text.err.find("1 deleted file is overwritten and not read; tallowmark-cli carve"), std::string::npos)
        << text.err;

    const auto json = Cli({"find", "--image", m_image.path, "--json"});
    ASSERT_EQ(json.code, 0);
    const std::vector<std::string> objects = Lines(json.out);
    ASSERT_EQ(objects.size(), m_image.placed.size());
    const auto daily = FlatJson::Parse(objects[2]);
    ASSERT_TRUE(daily);
    EXPECT_EQ((*daily).at("path"), m_image.placed[2].path);
    EXPECT_EQ((*daily).at("role"), "history-daily");
    EXPECT_EQ((*daily).at("user"), "bob");
    EXPECT_EQ((*daily).at("file_system"), "FAT32");
    EXPECT_TRUE((*daily).at("modified"));
    EXPECT_EQ((*daily).at("sha256")->size(), 64u);

    const std::string folder = m_dir.Path("extracted");
    fs::create_directory(folder);
    const auto extracted = Cli({"find", "--image", m_image.path, "--extract", folder});
    ASSERT_EQ(extracted.code, 0) << extracted.err;
    const std::vector<std::string> manifest = Lines(testing::ReadText(folder + "/manifest.csv"));
    ASSERT_EQ(manifest.size(), m_image.placed.size() + 1);
    EXPECT_TRUE(manifest[0].starts_with("image,partition,partition_start,file_system,path,inode,"));
    std::size_t written = 0;
    for (const testing::PlacedFile& placed : m_image.placed) {
        const auto row = std::find_if(manifest.begin(), manifest.end(),
                                      [&](const std::string& line) { return line.find(placed.path) != std::string::npos; });
        ASSERT_NE(row, manifest.end()) << placed.path;
        const std::size_t start = row->rfind(",\"") + 2;  // the last field, the name written
        const std::string name = row->substr(start, row->size() - start - 1);
        if (placed.content != FileContent::Index) {
            EXPECT_TRUE(name.empty()) << *row;
            continue;
        }
        ++written;
        EXPECT_TRUE(name.starts_with("partition-1-inode-")) << name;
        EXPECT_EQ(testing::ReadFile(folder + "/" + name), testing::ReadFile(placed.fixture));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), static_cast<long>(written + 1));
    // Never over what is there.
    EXPECT_EQ(Cli({"find", "--image", m_image.path, "--extract", folder}).code, 1);
}

TEST_F(ImageCli, TimelineInfoAndExportReadTheFilesInTheImage) {
    const std::string& deleted = m_image.placed.back().path;  // the leak sample, deleted
    const auto all = Cli({"timeline", "--image", m_image.path, "--format", "csv"});
    ASSERT_EQ(all.code, 0) << all.err;
    const auto allocated = Cli({"timeline", "--image", m_image.path, "--format", "csv", "--allocated-only"});
    const auto loose = Cli({"timeline", "--format", "csv", testing::RealFixtures() + "/leaks-index.dat"});
    const std::vector<std::string> rows = Lines(all.out);
    EXPECT_TRUE(rows[0].ends_with(",image,partition,path_in_image,file_state,inode")) << rows[0];
    EXPECT_EQ(rows.size(), Lines(allocated.out).size() + Lines(loose.out).size() - 1);
    EXPECT_NE(all.out.find("\"" + m_image.path + ":1:" + deleted + "\""), std::string::npos);
    EXPECT_NE(all.out.find(",1,\"" + deleted + "\",\"deleted\","), std::string::npos);
    // A loose file beside the image: its CSV rows keep the image's columns, empty; its JSON
    // lines have none.
    const std::string leaks = testing::RealFixtures() + "/leaks-index.dat";
    const auto mixed = Cli({"timeline", "--format", "csv", leaks, "--image", m_image.path});
    ASSERT_EQ(mixed.code, 0) << mixed.err;
    EXPECT_NE(mixed.out.find(",,,,,\r\n"), std::string::npos);
    const auto mixedJson = Cli({"timeline", leaks, "--image", m_image.path});
    EXPECT_EQ(Lines(mixedJson.out)[0].find("\"image\""), std::string::npos) << Lines(mixedJson.out)[0];

    const auto info = Cli({"info", "--image", m_image.path, "--path", "1:" + deleted});
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("State: deleted\n"), std::string::npos) << info.out;
    const auto exported = Cli({"export", "--image", m_image.path, "--path", deleted});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_EQ(exported.out, Cli({"export", testing::RealFixtures() + "/leaks-index.dat"}).out);

    const auto overwritten = Cli({"info", "--image", m_image.path, "--path", "/Documents and Settings/alice/Cookies/_ndex.dat"});
    EXPECT_EQ(overwritten.code, 1);
    EXPECT_NE(overwritten.err.find("overwritten"), std::string::npos) << overwritten.err;
    EXPECT_EQ(Cli({"info", "--image", m_image.path}).code, 2);
    EXPECT_EQ(Cli({"export", "--path", deleted}).code, 2);
}

TEST_F(ImageCli, AnImageRefusedWritesNothing) {
    const std::string noise = m_dir.Path("noise.img");
    testing::WriteFile(noise, testing::Buffer(1 << 20, 0x5A));
    const std::string out = m_dir.Path("timeline.jsonl");
    const auto refused = Cli({"timeline", "--image", noise, "-o", out});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("no file system found: try tallowmark-cli carve"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(out));
    const auto find = Cli({"find", "--image", noise, "--json"});
    EXPECT_EQ(find.code, 1);
    EXPECT_TRUE(find.out.empty());

    // A chunk of an E01 image that fails its checksum reads as zeros: named, and a failure.
    if (!ReadsExpertWitnessImages()) return;
    const std::string e01 = testing::MakeExpertWitness(m_image.path, m_dir.Path("damaged"), 64 << 20);
    testing::Buffer segment = testing::ReadFile(e01);
    const std::string signature = "Client UrlCache MMF Ver ";
    const auto at = std::search(segment.begin(), segment.end(), signature.begin(), signature.end());
    ASSERT_NE(at, segment.end());
    at[signature.size() + 8] ^= 0xFF;
    testing::WriteFile(e01, segment);
    const auto damaged = Cli({"find", "--image", e01});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_NE(damaged.err.find("the image cannot be read from "), std::string::npos) << damaged.err;
}

}  // namespace
}  // namespace tallowmark
