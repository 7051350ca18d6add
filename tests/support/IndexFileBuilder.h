#pragma once
// Writes cache index files byte by byte for the tests and the benchmark generator.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallowmark::testing {

using Buffer = std::vector<std::uint8_t>;

inline constexpr const char* kVersion5 = "Client UrlCache MMF Ver 5.2";
inline constexpr const char* kVersion4 = "Client UrlCache MMF Ver 4.7";

// 100-ns ticks since 1601 for a UTC calendar time.
std::uint64_t FileTimeOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// The FAT date-time u32 of a calendar time (seconds rounded down to even).
std::uint32_t FatDateTimeOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

struct UrlEntry {
    std::string url;
    std::uint64_t modified = 0;
    std::uint64_t accessed = 0;
    std::string fileName;
    std::string headers;
    std::int8_t dirIndex = 0;             // version-5 layout only; version 4 takes the headers offset's low byte
    std::uint32_t urlOffsetField = 0x68;  // 0x68 is the only value that names a URL
    std::optional<std::uint32_t> fileNameOffset;  // default: where the builder put the name
    std::optional<std::uint32_t> headersOffset;   // default: where the builder put the headers
    std::optional<std::uint32_t> countField;      // default: the blocks the entry takes
    std::uint32_t minimumBlocks = 1;
    // Any other u32 of the record (hits, a FAT date-time, the data size at 0x48, …), put
    // last: (offset in the record, value).
    std::vector<std::pair<std::size_t, std::uint32_t>> fields;
};

class IndexFileBuilder {
public:
    explicit IndexFileBuilder(std::string versionText = kVersion5, std::uint32_t headerLength = 0x4000);

    // The header region's fields (by default T = header length, F = the file's length).
    IndexFileBuilder& FirstHashTableField(std::uint32_t value);
    IndexFileBuilder& FileSizeField(std::uint32_t value);
    IndexFileBuilder& CacheDir(int index, const std::string& name);
    // Any other u32 of the header region, such as the directory count at 0x48.
    IndexFileBuilder& HeaderU32(std::size_t offset, std::uint32_t value);

    IndexFileBuilder& Hash(std::uint32_t blocks = 32, std::optional<std::uint32_t> countField = {});
    IndexFileBuilder& Blank(std::uint32_t countField = 0);
    IndexFileBuilder& BadFood();
    IndexFileBuilder& Unrecognised(const std::string& signature = "XXXX");
    IndexFileBuilder& Url(const UrlEntry& entry) { return UrlLike("URL ", entry); }
    IndexFileBuilder& Leak(const UrlEntry& entry) { return UrlLike("LEAK", entry); }
    IndexFileBuilder& Redirect(const std::string& url, std::optional<std::uint32_t> countField = {});
    // A record whose count field claims `blocks` but whose bytes stop with the file.
    IndexFileBuilder& RawBytes(const Buffer& bytes);

    // The allocation bitmap (a header of 0x4000 bytes or more): marks `blocks` blocks from
    // the file offset `offset` in use. Once any is, the block count at 0x24 follows the
    // file's length unless BlockCountField sets it.
    IndexFileBuilder& MarkInUse(std::size_t offset, std::uint32_t blocks = 1);
    IndexFileBuilder& BlockCountField(std::uint32_t value);
    // The next free entry of the hash table at `table` (a Hash() record) points at `target`.
    IndexFileBuilder& HashEntry(std::size_t table, std::uint32_t target, std::uint32_t hash = 0x5A5A0000);
    // The table at `table` names `next` as the next one.
    IndexFileBuilder& NextHashTable(std::size_t table, std::uint32_t next);

    // Offset at which the next record will start.
    std::size_t Position() const { return m_header.size() + m_body.size(); }

    Buffer Bytes() const;
    void WriteTo(const std::string& path) const;

private:
    IndexFileBuilder& UrlLike(const char* signature, const UrlEntry& entry);
    void AppendRecord(Buffer record);

    bool m_bVersion4;
    Buffer m_header;
    Buffer m_body;
    std::optional<std::uint32_t> m_firstHashTable;
    std::optional<std::uint32_t> m_fileSize;
    std::optional<std::uint32_t> m_blockCount;
    bool m_bBitmap = false;
    std::map<std::size_t, std::uint32_t> m_hashEntriesUsed;        // per table
    std::vector<std::pair<std::size_t, std::uint32_t>> m_patches;  // u32s put over the records at the end
};

void PutU32(Buffer& buffer, std::size_t offset, std::uint32_t value);
void PutU64(Buffer& buffer, std::size_t offset, std::uint64_t value);
void PutText(Buffer& buffer, std::size_t offset, const std::string& text);  // with its NUL
// `text` as UTF-16LE bytes, as the file keeps a page title; no NUL.
std::string Utf16(std::u16string_view text);
void WriteFile(const std::string& path, const Buffer& bytes);
Buffer ReadFile(const std::string& path);
// The whole file as text; empty when it can't be read.
std::string ReadText(const std::string& path);

}  // namespace tallowmark::testing
