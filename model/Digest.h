#pragma once
// The digests examiners record beside every exhibit, SHA-256 and MD5, fed a piece at a
// time so that a file of any size is hashed in one pass without being held whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/Format.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {

class Sha256 {
public:
    Sha256();
    void Update(ByteView bytes);
    // The digest of everything given; the object is spent afterwards.
    std::array<std::uint8_t, 32> Final();

private:
    void Compress(const std::uint8_t* block);
    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_block{};
    std::size_t m_used = 0;
    std::uint64_t m_qwLength = 0;
};

class Md5 {
public:
    Md5();
    void Update(ByteView bytes);
    std::array<std::uint8_t, 16> Final();

private:
    void Compress(const std::uint8_t* block);
    std::array<std::uint32_t, 4> m_state;
    std::array<std::uint8_t, 64> m_block{};
    std::size_t m_used = 0;
    std::uint64_t m_qwLength = 0;
};

// Lower-case hexadecimal, two digits a byte.
std::string HexDigest(ByteView digest);
template <std::size_t N>
std::string HexDigest(const std::array<std::uint8_t, N>& digest) {
    return HexDigest(ByteView(digest.data(), N));
}

std::string Sha256Of(ByteView bytes);

struct FileDigests {
    platform::FileError error = platform::FileError::None;
    std::string sha256, md5;  // hexadecimal
};
// Both digests of the file at `path` (SHA-256 alone unless `withMd5`), read once front to back.
FileDigests DigestsOfFile(const std::string& path, bool withMd5 = true);

}  // namespace tallowmark
