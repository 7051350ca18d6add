#pragma once
// Where the bytes of an index file or an image come from: a file of this machine, bytes
// in memory, a window of another source (an index file found inside an image), a file
// inside a disk image's file system. Read-only: a source never changes a byte.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/Format.h"
#include "platform/FileIdentity.h"
#include "platform/ImageFile.h"

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
    // All its bytes at once, for a source that holds them in memory, so that a walk views
    // them where they are; empty for the others.
    virtual ByteView Whole() const { return {}; }
};

// Bytes held by someone else, who keeps them for as long as the source is read.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(ByteView bytes) : m_bytes(bytes) {}
    std::uint64_t Length() const override { return m_bytes.size(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override;
    ByteView Whole() const override { return m_bytes; }

private:
    ByteView m_bytes;
};

// `length` bytes of another source from `start` on, as a source of its own; what lies
// past the other source's end is not there.
class WindowSource : public ByteSource {
public:
    WindowSource(ByteSource& base, std::uint64_t start, std::uint64_t length);
    std::uint64_t Length() const override { return m_length; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override;

private:
    ByteSource& m_base;
    std::uint64_t m_start;
    std::uint64_t m_length;
};

// A file of this machine (or a disk, unless `kinds` asks for a file alone), opened
// read-only and shared with every other process.
struct OpenedFileSource {
    platform::FileError error = platform::FileError::None;
    std::unique_ptr<ByteSource> source;
    std::optional<platform::FileIdentity> identity;  // the very file opened
};
OpenedFileSource OpenFileSource(const std::string& path,
                                platform::ImageFile::Kinds kinds = platform::ImageFile::Kinds::FilesAndDisks);

// Bytes about to be read into: growing it leaves the new bytes unset, which matters for
// megabytes at a time.
class ReadBuffer {
public:
    ReadBuffer() = default;
    ReadBuffer(ReadBuffer&& other) noexcept { *this = std::move(other); }
    ReadBuffer& operator=(ReadBuffer&& other) noexcept {
        m_bytes = std::move(other.m_bytes);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        return *this;
    }

    std::uint8_t* data() { return m_bytes.get(); }
    const std::uint8_t* data() const { return m_bytes.get(); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    operator ByteView() const { return {m_bytes.get(), m_size}; }

    // Keeps the first min(size, new size) bytes; the others are unset.
    void Resize(std::size_t size);
    // Becomes a copy of `bytes`, which may be its own.
    void Assign(ByteView bytes);

private:
    std::unique_ptr<std::uint8_t[]> m_bytes;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

}  // namespace tallowmark
