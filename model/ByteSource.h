#pragma once
// Where the bytes of an index file or an image come from: a file of this machine, bytes
// in memory, a window of another source (an index file found inside an image), a file
// inside a disk image's file system. Read-only: a source never changes a byte.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Format.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The length in bytes, as it was when the source was opened.
    virtual std::uint64_t Length() const = 0;
    // Up to `count` bytes at `offset` into `into`; fewer only at the end. False when the
    // source cannot be read there (`got` says how much was). Safe on several threads at once.
    virtual bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) = 0;
    // What a source that knows its own damage (an E01 image: a segment missing or cut
    // short, chunks it reads as zeros) found so far, one line each naming the segment or
    // the byte range; asked once reading is done. Empty for most sources.
    virtual std::vector<std::string> Damage() const { return {}; }
};

// Bytes held by someone else, who keeps them for as long as the source is read.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(ByteView bytes) : m_bytes(bytes) {}
    std::uint64_t Length() const override { return m_bytes.size(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override;

private:
    ByteView m_bytes;
};

// `length` bytes of another source from `start` on, as a source of its own; what lies
// past the other source's end is not there.
class WindowSource : public ByteSource {
public:
    WindowSource(ByteSource& base, std::uint64_t start, std::uint64_t length);
    std::uint64_t Length() const override { return m_qwLength; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override;

private:
    ByteSource& m_base;
    std::uint64_t m_qwStart;
    std::uint64_t m_qwLength;
};

// A file of this machine (or a disk), opened read-only and shared with every other process.
struct OpenedFileSource {
    platform::FileError error = platform::FileError::None;
    std::unique_ptr<ByteSource> source;
};
OpenedFileSource OpenFileSource(const std::string& path);

}  // namespace tallowmark
