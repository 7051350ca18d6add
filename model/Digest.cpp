#include "model/Digest.h"

#include <bit>
#include <cstring>
#include <vector>

namespace tallowmark {

namespace {
std::uint32_t BigEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}
std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[3]} << 24 | std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[1]} << 8 | bytes[0];
}

constexpr std::uint32_t kSha256Rounds[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// MD5's per-round constants (the integer parts of 2^32 |sin(i + 1)|) and shifts.
constexpr std::uint32_t kMd5Rounds[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
constexpr int kMd5Shifts[16] = {7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};
}  // namespace

template <class Algorithm, std::size_t StateWords, bool BigEndian>
void BlockDigest<Algorithm, StateWords, BigEndian>::Update(ByteView bytes) {
    m_qwLength += bytes.size();
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    if (m_used != 0) {
        const std::size_t take = std::min(left, m_block.size() - m_used);
        std::memcpy(m_block.data() + m_used, data, take);
        m_used += take;
        data += take;
        left -= take;
        if (m_used < m_block.size()) return;
        Compress(m_block.data());
        m_used = 0;
    }
    for (; left >= m_block.size(); data += m_block.size(), left -= m_block.size()) Compress(data);
    if (left) std::memcpy(m_block.data(), data, left);
    m_used = left;
}

template <class Algorithm, std::size_t StateWords, bool BigEndian>
std::array<std::uint8_t, StateWords * 4> BlockDigest<Algorithm, StateWords, BigEndian>::Final() {
    const std::uint64_t bits = m_qwLength * 8;
    m_block[m_used++] = 0x80;
    if (m_used > 56) {
        std::memset(m_block.data() + m_used, 0, 64 - m_used);
        Compress(m_block.data());
        m_used = 0;
    }
    std::memset(m_block.data() + m_used, 0, 56 - m_used);
    for (int i = 0; i < 8; ++i) m_block[56 + i] = static_cast<std::uint8_t>(bits >> (BigEndian ? 56 - 8 * i : 8 * i));
    Compress(m_block.data());
    std::array<std::uint8_t, StateWords * 4> digest{};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const unsigned shift = BigEndian ? 24 - 8 * (i % 4) : 8 * (i % 4);
        digest[i] = static_cast<std::uint8_t>(m_state[i / 4] >> shift);
    }
    return digest;
}

template class BlockDigest<Sha256, 8, true>;
template class BlockDigest<Md5, 4, false>;

Sha256::Sha256()
    : BlockDigest({0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19}) {}

void Sha256::Compress(const std::uint8_t* block) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i) w[i] = BigEndian32(block + 4 * i);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = std::rotr(w[i - 15], 7) ^ std::rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = std::rotr(w[i - 2], 17) ^ std::rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3], e = m_state[4], f = m_state[5],
                  g = m_state[6], h = m_state[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t t1 = h + (std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25)) + ((e & f) ^ (~e & g)) +
                                 kSha256Rounds[i] + w[i];
        const std::uint32_t t2 = (std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    m_state[4] += e;
    m_state[5] += f;
    m_state[6] += g;
    m_state[7] += h;
}



Md5::Md5() : BlockDigest({0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}) {}

void Md5::Compress(const std::uint8_t* block) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) m[i] = LittleEndian32(block + 4 * i);
    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t f;
        int g;
        switch (i / 16) {
            case 0: f = (b & c) | (~b & d); g = i; break;
            case 1: f = (d & b) | (~d & c); g = (5 * i + 1) % 16; break;
            case 2: f = b ^ c ^ d; g = (3 * i + 5) % 16; break;
            default: f = c ^ (b | ~d); g = (7 * i) % 16; break;
        }
        const std::uint32_t rotated = std::rotl(a + f + kMd5Rounds[i] + m[g], kMd5Shifts[i / 16 * 4 + i % 4]);
        a = d;
        d = c;
        c = b;
        b += rotated;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}



std::string HexDigest(ByteView digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest.size() * 2);
    for (const std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

std::string Sha256Of(ByteView bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return HexDigest(hash.Final());
}

FileDigests DigestsOf(ByteView bytes) {
    Sha256 sha256;
    Md5 md5;
    sha256.Update(bytes);
    md5.Update(bytes);
    return {platform::FileError::None, HexDigest(sha256.Final()), HexDigest(md5.Final())};
}

FileDigests DigestsOfFile(const std::string& path, bool withMd5) {
    FileDigests digests;
    platform::SequentialFile file;
    digests.error = file.Open(path);
    if (digests.error != platform::FileError::None) return digests;
    Sha256 sha256;
    Md5 md5;
    std::vector<std::uint8_t> chunk(1 << 20);
    for (;;) {
        std::size_t got = 0;
        digests.error = file.Read(chunk.data(), chunk.size(), got);
        if (digests.error != platform::FileError::None) return digests;
        if (got == 0) break;
        sha256.Update(ByteView(chunk.data(), got));
        if (withMd5) md5.Update(ByteView(chunk.data(), got));
    }
    digests.sha256 = HexDigest(sha256.Final());
    if (withMd5) digests.md5 = HexDigest(md5.Final());
    return digests;
}

}  // namespace tallowmark
