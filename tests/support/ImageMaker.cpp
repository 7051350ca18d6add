#include "support/ImageMaker.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

namespace tallowmark::testing {

namespace {
constexpr std::size_t kBlock = 128;
constexpr std::size_t kSector = 512;

void PutBytes(Buffer& buffer, std::size_t offset, const std::string& text) {
    if (buffer.size() < offset + text.size()) buffer.resize(offset + text.size(), 0);
    std::memcpy(buffer.data() + offset, text.data(), text.size());
}

std::string RandomUrl(std::mt19937& random) {
    static const char* const kHosts[] = {"www.example.com", "cdn.example.net", "ads.example.org", "mail.example.com"};
    return std::string(random() % 2 ? "https://" : "http://") + kHosts[random() % 4] + "/" +
           std::to_string(random() % 100000) + "/page.html?id=" + std::to_string(random());
}

// Text as a log, a web page or a mail holds it: "URL " and "http://" everywhere, and a
// "URL " at the start of many blocks.
Buffer UrlText(std::mt19937& random, std::size_t size) {
    Buffer bytes;
    while (bytes.size() < size) {
        std::string line = random() % 2 ? "URL " : "URL  Visited: user@";
        line += RandomUrl(random) + " LEAK REDR Client UrlCache\r\n";
        if (random() % 3 == 0) {
            // Starts a block, as text in a file does every now and then.
            bytes.resize((bytes.size() + kBlock - 1) / kBlock * kBlock, ' ');
        }
        PutBytes(bytes, bytes.size(), line);
    }
    bytes.resize(size);
    return bytes;
}

// Entries as another browser's caches keep them: a URL key after binary fields, response
// headers, metadata records of fixed size.
Buffer OtherCache(std::mt19937& random, std::size_t size) {
    Buffer bytes;
    while (bytes.size() < size) {
        bytes.resize((bytes.size() + kSector - 1) / kSector * kSector, 0);  // each entry a file
        const std::size_t at = bytes.size();
        const std::string url = RandomUrl(random);
        switch (random() % 3) {
            case 0: {  // a keyed entry: magic, version, key length, key hash, key, data
                PutU64(bytes, at, 0xFCFB6D1BA7725C30ull);
                PutU32(bytes, at + 8, 5);
                const std::string key = "1/0/_dk_" + url + " " + url;
                PutU32(bytes, at + 12, static_cast<std::uint32_t>(key.size()));
                PutU32(bytes, at + 16, static_cast<std::uint32_t>(random()));
                PutBytes(bytes, at + 24, key);
                PutBytes(bytes, bytes.size(), "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nLocation: " + url +
                                                  "\r\n\r\n<html><a href=\"" + url + "\">URL </a></html>");
                break;
            }
            case 1: {  // content, then metadata with the key and the response head
                for (int i = 0; i < 200; ++i) bytes.push_back(static_cast<std::uint8_t>(random()));
                const std::size_t meta = bytes.size();
                PutU32(bytes, meta, static_cast<std::uint32_t>(random()));
                PutU32(bytes, meta + 4, 1);
                PutU64(bytes, meta + 8, 1'400'000'000 + random() % 100'000'000);
                PutText(bytes, meta + 24, "a,:" + url);
                PutText(bytes, bytes.size(), "request-method");
                PutText(bytes, bytes.size(), "GET");
                PutText(bytes, bytes.size(), "response-head");
                PutText(bytes, bytes.size(), "HTTP/1.1 200 OK\r\nDate: Mon, 10 Mar 2013 09:38:51 GMT\r\n");
                break;
            }
            default: {  // fixed-size index entries of 256 bytes: hash, links, times, key
                for (int entry = 0; entry < 8; ++entry) {
                    const std::size_t e = bytes.size();
                    bytes.resize(e + 256, 0);
                    PutU32(bytes, e, static_cast<std::uint32_t>(random()));
                    PutU32(bytes, e + 4, 0x90000000u | (random() & 0xFFFF));
                    PutU64(bytes, e + 24, 13'000'000'000'000'000ull + random());
                    PutU32(bytes, e + 32, static_cast<std::uint32_t>(url.size()));
                    PutBytes(bytes, e + 96, url.substr(0, 159));
                }
            }
        }
    }
    bytes.resize(size);
    return bytes;
}

// Zeroed blocks, here and there one with only a record's or a header's signature, or
// with the signature and a count or a URL offset but nothing else.
Buffer LoneSignatures(std::mt19937& random, std::size_t size) {
    Buffer bytes(size, 0);
    static const char* const kSignatures[] = {"URL ", "LEAK", "REDR", "HASH"};
    for (std::size_t at = 0; at + kBlock <= size; at += kBlock) {
        if (random() % 4) continue;
        if (at % kSector == 0 && random() % 4 == 0) {
            PutBytes(bytes, at, "Client UrlCache MMF Ver 5.2");
            continue;
        }
        PutBytes(bytes, at, kSignatures[random() % 4]);
        if (random() % 2) PutU32(bytes, at + 4, random() % 5);
        if (random() % 2) PutU32(bytes, at + 0x34, 0x68);
    }
    return bytes;
}

// One URL record of 2 blocks, well formed.
Buffer GoodRecord(std::mt19937& random, const char* signature) {
    Buffer record(2 * kBlock, 0);
    PutBytes(record, 0, signature);
    PutU32(record, 4, 2);
    PutU64(record, 0x08, FileTimeOf(2013, 3, 10, 9, 38, 51));
    PutU64(record, 0x10, FileTimeOf(2013, 3, 10, 9, 40, 2));
    PutU32(record, 0x34, 0x68);
    const std::string url = "http://www.example.com/" + std::to_string(random() % 1000);
    PutText(record, 0x68, url);
    PutU32(record, 0x3C, 0xB0);
    PutText(record, 0xB0, "page[1].htm");
    return record;
}

// Records as a damaged or stale area holds them, each failing in one field. Every one
// lies inside a sector, where no fragmentation can explain a failure.
Buffer NearRecords(std::mt19937& random, std::size_t size) {
    Buffer bytes;
    int flaw = 0;
    while (bytes.size() < size) {
        Buffer record = GoodRecord(random, "URL ");
        switch (flaw++ % 11) {
            case 0: PutU64(record, 0x10, FileTimeOf(2200, 1, 1)); break;           // a time past 2100
            case 1: record[0x70] = 0x07; break;                                      // a control character
            case 2: PutU32(record, 4, 0); break;                                     // no block count
            case 3: PutU32(record, 4, 300); break;                                   // an outsized one
            case 4: PutU32(record, 0x34, 0x6C); break;                               // the URL elsewhere
            case 5: PutU32(record, 0x3C, 0x1F0); break;                              // a name past the end
            case 6: std::fill(record.begin() + 0x68, record.end(), 'x'); break;      // no NUL in the record
            case 7: PutU32(record, 0x3C, 0x68 + 23); break;                          // a name inside the URL
            case 8: PutU32(record, 0x44, 0xC0), PutU32(record, 0x48, 0x100); break;  // headers past the end
            case 9:                                                                  // a LEAK without a name
                PutBytes(record, 0, "LEAK");
                PutU32(record, 0x3C, 0);
                break;
            default:  // a REDR whose target is no URL
                record.assign(kBlock, 0);
                PutBytes(record, 0, "REDR");
                PutU32(record, 4, 1);
                PutText(record, 0x10, "no scheme here at all, only words");
        }
        bytes.resize((bytes.size() + kSector - 1) / kSector * kSector, 0);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    bytes.resize(size);
    return bytes;
}

// Programs of this machine, about 16 MiB of them.
Buffer ReadPrograms() {
    Buffer programs;
    std::error_code error;
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/bin", error))
        if (entry.is_regular_file(error)) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        const Buffer program = ReadFile(path.string());
        if (program.size() < 4 || std::memcmp(program.data(), "\x7F" "ELF", 4) != 0) continue;
        programs.insert(programs.end(), program.begin(), program.end());
        if (programs.size() >= (16u << 20)) break;
    }
    return programs;
}
}  // namespace

ImageMaker::ImageMaker(Sink sink, std::uint32_t seed) : m_sink(std::move(sink)), m_random(seed) {}

void ImageMaker::Emit(const std::uint8_t* bytes, std::size_t size) {
    m_sink(bytes, size);
    m_qwSize += size;
}

Buffer ImageMaker::NoiseBytes(NoiseKind kind, std::size_t size) {
    switch (kind) {
        case NoiseKind::UrlText: return UrlText(m_random, size);
        case NoiseKind::OtherCache: return OtherCache(m_random, size);
        case NoiseKind::LoneSignatures: return LoneSignatures(m_random, size);
        case NoiseKind::NearRecords: return NearRecords(m_random, size);
        case NoiseKind::Elf:
            if (m_programs.empty()) m_programs = ReadPrograms();
            if (!m_programs.empty()) {
                Buffer bytes(size);
                std::size_t from = (m_random() % m_programs.size()) / kSector * kSector;
                for (std::size_t done = 0; done < size;) {
                    const std::size_t take = std::min(size - done, m_programs.size() - from);
                    std::memcpy(bytes.data() + done, m_programs.data() + from, take);
                    done += take;
                    from = 0;
                }
                return bytes;
            }
            [[fallthrough]];
        case NoiseKind::Random: break;
    }
    Buffer bytes(size);
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(m_random());
    return bytes;
}

ImageMaker& ImageMaker::Noise(NoiseKind kind, std::size_t bytes) {
    // Made in pieces, so that gigabytes of noise never stand in memory at once.
    constexpr std::size_t kPiece = 1 << 20;
    for (std::size_t done = 0; done < bytes;) {
        const std::size_t size = std::min(kPiece, bytes - done);
        const Buffer piece = NoiseBytes(kind, size);
        Emit(piece.data(), piece.size());
        done += size;
    }
    return *this;
}

ImageMaker& ImageMaker::Append(const Buffer& bytes) {
    Emit(bytes.data(), bytes.size());
    return *this;
}

std::vector<std::vector<std::optional<std::uint64_t>>> ImageMaker::Scatter(const std::vector<Buffer>& files,
                                                                           std::size_t cluster,
                                                                           std::size_t longestRun,
                                                                           double overwritten,
                                                                           std::size_t noiseClusters) {
    struct Run {
        std::optional<std::size_t> file;  // none: a cluster of noise
        std::size_t first = 0, count = 1;
    };
    std::vector<std::vector<std::optional<std::uint64_t>>> placed(files.size());
    std::vector<Run> runs;
    std::uniform_real_distribution<double> chance(0, 1);
    for (std::size_t file = 0; file < files.size(); ++file) {
        const std::size_t clusters = (files[file].size() + cluster - 1) / cluster;
        placed[file].assign(clusters, std::nullopt);
        for (std::size_t first = 0; first < clusters;) {
            const std::size_t count = std::min(clusters - first, 1 + m_random() % longestRun);
            if (chance(m_random) < overwritten) {
                for (std::size_t i = 0; i < count; ++i) runs.push_back({});
            } else {
                runs.push_back({file, first, count});
            }
            first += count;
        }
    }
    for (std::size_t i = 0; i < noiseClusters; ++i) runs.push_back({});
    std::shuffle(runs.begin(), runs.end(), m_random);
    for (const Run& run : runs) {
        if (!run.file) {
            Noise(kAllNoise[m_random() % std::size(kAllNoise)], cluster);
            continue;
        }
        const Buffer& file = files[*run.file];
        for (std::size_t c = run.first; c < run.first + run.count; ++c) {
            Buffer bytes(cluster, 0);
            const std::size_t from = c * cluster;
            std::memcpy(bytes.data(), file.data() + from, std::min(cluster, file.size() - from));
            placed[*run.file][c] = m_qwSize;
            Emit(bytes.data(), bytes.size());
        }
    }
    return placed;
}

bool MemoryImage::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) {
    got = offset < bytes.size() ? static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes.size() - offset)) : 0;
    if (got) std::memcpy(into, bytes.data() + offset, got);
    return true;
}

}  // namespace tallowmark::testing
