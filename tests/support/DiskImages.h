#pragma once
// Disk images for the tests of the file systems inside images, made in a temporary folder
// with the tools the project's dependencies install, and never mounted: mkfs.fat and
// mtools for FAT, mkfs.ntfs and the NTFS test helper for NTFS, sfdisk for partition
// tables, ewfacquire for E01. The real sample files go only into the images made.

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/ImageFileSystems.h"
#include "support/TempDir.h"

namespace tallowmark::testing {

// Runs `arguments` (no shell) with `input` on its standard input; true when it exits with
// 0. What it writes goes to the test's standard error.
bool RunProgram(const std::vector<std::string>& arguments, const std::string& input = {});

// A file put into an image, and what a walk must say of it.
struct PlacedFile {
    std::string path;     // in the image, as the walk gives it
    std::string fixture;  // the loose file it equals; empty for one that is no index file
    FileState state = FileState::Allocated;
    FileContent content = FileContent::Index;
};

struct TestImage {
    std::string path;
    std::vector<PlacedFile> placed;
};

// The folder of the real samples the images hold, or empty when it is absent.
std::string RealFixtures();

// A bare FAT32 file system of `megabytes` at `path`; the local file `local` put at `path`
// in it (its folders made on the way); a file there deleted, as Windows deletes one.
void MakeFat32(const std::string& path, unsigned megabytes);
void FatPut(const std::string& image, const std::string& local, const std::string& path);
void FatDelete(const std::string& image, const std::string& path);

// A Windows XP profile on a bare FAT32 file system: a content, a history and a daily
// history file, the cookies deleted (their name's first letter lost), another deleted one
// whose first cluster was written over, a file named INDEX.DAT that is none, and an index
// file named otherwise (found by content only, so not in `placed`).
TestImage MakeXpFatImage(const TempDir& dir);
// A Windows 7 profile on a bare NTFS file system: a history file with an alternate stream
// (which holds an index file's bytes too), an NTFS-compressed content file, deleted
// cookies, and an orphan whose folder was deleted and its MFT entry taken again.
TestImage MakeWin7NtfsImage(const TempDir& dir);
bool CanMakeNtfsImages();

// A disk at `path` with a partition table holding each of `partitions` (file-system
// images; an empty name makes a partition of random bytes) in that order: MBR with the
// first one primary and the rest logical in an extended partition, or GPT. Returns each
// partition's start sector.
std::vector<std::uint64_t> MakePartitionedDisk(const std::string& path, const std::vector<std::string>& partitions,
                                               bool gpt);

// An E01 image of `raw` at `target` (without its extension), in segments of at most
// `segmentBytes` (uncompressed); returns the first segment's path.
std::string MakeExpertWitness(const std::string& raw, const std::string& target, std::uint64_t segmentBytes);

}  // namespace tallowmark::testing
