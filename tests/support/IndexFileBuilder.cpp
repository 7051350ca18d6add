#include "support/IndexFileBuilder.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "model/Calendar.h"
#include "platform/NativePath.h"

namespace tallowmark::testing {

namespace {
constexpr std::size_t kBlock = 128;

void Grow(Buffer& buffer, std::size_t size) {
    if (buffer.size() < size) buffer.resize(size, 0);
}

std::size_t RoundUpToBlock(std::size_t size) { return (size + kBlock - 1) / kBlock * kBlock; }
}  // namespace

std::uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
    const std::int64_t seconds = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
                                 hour * 3600 + minute * 60 + second;
    return static_cast<std::uint64_t>((seconds + 11'644'473'600LL) * 10'000'000LL);
}

std::uint32_t FatDateTimeOf(int year, int month, int day, int hour, int minute, int second) {
    return static_cast<std::uint32_t>((year - 1980) << 9 | month << 5 | day) |
           static_cast<std::uint32_t>(hour << 11 | minute << 5 | second / 2) << 16;
}

void PutU32(Buffer& buffer, std::size_t offset, std::uint32_t value) {
    Grow(buffer, offset + 4);
    for (int i = 0; i < 4; ++i) buffer[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutU64(Buffer& buffer, std::size_t offset, std::uint64_t value) {
    PutU32(buffer, offset, static_cast<std::uint32_t>(value));
    PutU32(buffer, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

void PutText(Buffer& buffer, std::size_t offset, const std::string& text) {
    Grow(buffer, offset + text.size() + 1);
    std::memcpy(buffer.data() + offset, text.data(), text.size());
    buffer[offset + text.size()] = 0;
}

IndexFileBuilder::IndexFileBuilder(std::string versionText, std::uint32_t headerLength)
    : m_bVersion4(versionText.find(" Ver 4.") != std::string::npos), m_header(headerLength, 0) {
    PutText(m_header, 0, versionText);
    m_header.resize(headerLength);
}

IndexFileBuilder& IndexFileBuilder::FirstHashTableField(std::uint32_t value) {
    m_firstHashTable = value;
    return *this;
}

IndexFileBuilder& IndexFileBuilder::FileSizeField(std::uint32_t value) {
    m_fileSize = value;
    return *this;
}

IndexFileBuilder& IndexFileBuilder::CacheDir(int index, const std::string& name) {
    const std::size_t offset = 0x50 + 12 * static_cast<std::size_t>(index);
    if (offset + 8 > m_header.size()) throw std::logic_error("cache directory outside the header");
    std::memset(m_header.data() + offset, 0, 8);
    std::memcpy(m_header.data() + offset, name.data(), std::min<std::size_t>(8, name.size()));
    return *this;
}

IndexFileBuilder& IndexFileBuilder::HeaderU32(std::size_t offset, std::uint32_t value) {
    if (offset + 4 > m_header.size()) throw std::logic_error("field outside the header");
    PutU32(m_header, offset, value);
    return *this;
}

void IndexFileBuilder::AppendRecord(Buffer record) { m_body.insert(m_body.end(), record.begin(), record.end()); }

IndexFileBuilder& IndexFileBuilder::Hash(std::uint32_t blocks, std::optional<std::uint32_t> countField) {
    Buffer record(blocks * kBlock, 0);
    std::memcpy(record.data(), "HASH", 4);
    PutU32(record, 4, countField.value_or(blocks));
    AppendRecord(std::move(record));
    return *this;
}

IndexFileBuilder& IndexFileBuilder::Blank(std::uint32_t countField) {
    Buffer record(kBlock, 0);
    PutU32(record, 4, countField);
    AppendRecord(std::move(record));
    return *this;
}

IndexFileBuilder& IndexFileBuilder::BadFood() {
    Buffer record(kBlock, 0);
    for (std::size_t i = 0; i < kBlock; i += 4) PutU32(record, i, 0x0BADF00D);
    AppendRecord(std::move(record));
    return *this;
}

IndexFileBuilder& IndexFileBuilder::Unrecognised(const std::string& signature) {
    Buffer record(kBlock, 0);
    std::memcpy(record.data(), signature.data(), std::min<std::size_t>(4, signature.size()));
    PutU32(record, 4, 7);
    AppendRecord(std::move(record));
    return *this;
}

IndexFileBuilder& IndexFileBuilder::Redirect(const std::string& url, std::optional<std::uint32_t> countField) {
    Buffer record;
    PutText(record, 0x10, url);
    record.resize(RoundUpToBlock(record.size()));
    std::memcpy(record.data(), "REDR", 4);
    PutU32(record, 4, countField.value_or(static_cast<std::uint32_t>(record.size() / kBlock)));
    AppendRecord(std::move(record));
    return *this;
}

IndexFileBuilder& IndexFileBuilder::UrlLike(const char* signature, const UrlEntry& entry) {
    Buffer record(0x68, 0);
    PutU64(record, 0x08, entry.modified);
    PutU64(record, 0x10, entry.accessed);
    PutText(record, 0x68, entry.url);
    const auto fileNameAt = static_cast<std::uint32_t>(record.size());
    PutText(record, fileNameAt, entry.fileName);
    const auto headersAt = static_cast<std::uint32_t>(record.size());
    PutText(record, headersAt, entry.headers);
    record.resize(std::max(RoundUpToBlock(record.size()), entry.minimumBlocks * kBlock));

    std::memcpy(record.data(), signature, 4);
    PutU32(record, 4, entry.countField.value_or(static_cast<std::uint32_t>(record.size() / kBlock)));
    PutU32(record, 0x3C, entry.fileNameOffset.value_or(entry.fileName.empty() ? 0 : fileNameAt));
    PutU32(record, 0x44, entry.headersOffset.value_or(entry.headers.empty() ? 0 : headersAt));
    PutU32(record, 0x48,
           static_cast<std::uint32_t>(entry.headers.size()));  // the headers' length, as real files keep it
    if (m_bVersion4) {
        PutU32(record, 0x38, entry.urlOffsetField);
    } else {
        PutU32(record, 0x34, entry.urlOffsetField);
        record[0x38] = static_cast<std::uint8_t>(entry.dirIndex);
    }
    for (const auto& [offset, value] : entry.fields) {
        if (offset + 4 > record.size()) throw std::logic_error("field outside the record");
        PutU32(record, offset, value);
    }
    AppendRecord(std::move(record));
    return *this;
}

IndexFileBuilder& IndexFileBuilder::RawBytes(const Buffer& bytes) {
    AppendRecord(bytes);
    return *this;
}

IndexFileBuilder& IndexFileBuilder::MarkInUse(std::size_t offset, std::uint32_t blocks) {
    if (m_header.size() < 0x4000 || offset < 0x4000 || offset % kBlock != 0)
        throw std::logic_error("the bitmap maps blocks from 0x4000 of a header of 0x4000 bytes");
    for (std::size_t block = (offset - 0x4000) / kBlock; blocks > 0; ++block, --blocks) {
        if (0x250 + block / 8 >= 0x4000) throw std::logic_error("block past the bitmap");
        m_header[0x250 + block / 8] |= static_cast<std::uint8_t>(1u << (block % 8));
    }
    m_bBitmap = true;
    return *this;
}

IndexFileBuilder& IndexFileBuilder::BlockCountField(std::uint32_t value) {
    m_blockCount = value;
    return *this;
}

IndexFileBuilder& IndexFileBuilder::HashEntry(std::size_t table, std::uint32_t target, std::uint32_t hash) {
    const std::size_t entry = table + 0x10 + 8 * m_hashEntriesUsed[table]++;
    const std::size_t at = table - m_header.size();
    if (table < m_header.size() || at + 8 > m_body.size() || std::memcmp(&m_body[at], "HASH", 4) != 0 ||
        entry + 8 > table + kBlock * (m_body[at + 4] | m_body[at + 5] << 8))
        throw std::logic_error("no room for a hash entry there");
    m_patches.emplace_back(entry, hash);
    m_patches.emplace_back(entry + 4, target);
    return *this;
}

IndexFileBuilder& IndexFileBuilder::NextHashTable(std::size_t table, std::uint32_t next) {
    m_patches.emplace_back(table + 8, next);
    return *this;
}

Buffer IndexFileBuilder::Bytes() const {
    Buffer file = m_header;
    file.insert(file.end(), m_body.begin(), m_body.end());
    if (file.size() >= 0x24) {
        PutU32(file, 0x1C, m_fileSize.value_or(static_cast<std::uint32_t>(file.size())));
        PutU32(file, 0x20, m_firstHashTable.value_or(static_cast<std::uint32_t>(m_header.size())));
    }
    if (m_blockCount || m_bBitmap)
        PutU32(file, 0x24, m_blockCount.value_or(static_cast<std::uint32_t>((file.size() - 0x4000) / kBlock)));
    for (const auto& [offset, value] : m_patches) PutU32(file, offset, value);
    return file;
}

void IndexFileBuilder::WriteTo(const std::string& path) const { WriteFile(path, Bytes()); }

std::string Utf16(std::u16string_view text) {
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

void WriteFile(const std::string& path, const Buffer& bytes) {
    std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Buffer ReadFile(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return Buffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tallowmark::testing
