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

// What SHA-256 and MD5 share: 64-byte blocks, and at the end a 0x80 byte, zeros and the
// length in bits (big-endian for SHA-256, little-endian for MD5); the state words go out
// in the same order.
template <class Algorithm, std::size_t StateWords, bool BigEndian>
class BlockDigest {
public:
    void Update(ByteView bytes);
    // The digest of everything given; the object is spent afterwards.
    std::array<std::uint8_t, StateWords * 4> Final();

protected:
    explicit BlockDigest(const std::array<std::uint32_t, StateWords>& initial) : m_state(initial) {}
    std::array<std::uint32_t, StateWords> m_state;

private:
    void Compress(const std::uint8_t* block) { static_cast<Algorithm*>(this)->Compress(block); }
    std::array<std::uint8_t, 64> m_block{};
    std::size_t m_used = 0;
    std::uint64_t m_qwLength = 0;
};

class Sha256 : public BlockDigest<Sha256, 8, true> {
public:
    Sha256();

private:
    friend class BlockDigest;
    void Compress(const std::uint8_t* block);
};

class Md5 : public BlockDigest<Md5, 4, false> {
public:
    Md5();

private:
    friend class BlockDigest;
    void Compress(const std::uint8_t* block);
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
// Both digests of bytes in memory.
FileDigests DigestsOf(ByteView bytes);
// Both digests of the file at `path` (SHA-256 alone unless `withMd5`), read once front to back.
FileDigests DigestsOfFile(const std::string& path, bool withMd5 = true);

}  // namespace tallowmark
