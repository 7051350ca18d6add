#pragma once
// The records built by the loading walk. Each knows its kind from the walk; the type-name
// texts are what the list, the details and the exports show for the kinds.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "model/Format.h"
#include "model/IndexHeader.h"
#include "model/RecordMarks.h"
#include "model/TimeText.h"

namespace tallowmark {

inline constexpr std::string_view kTypeUrl = "URL";
inline constexpr std::string_view kTypeLeak = "LEAK";
inline constexpr std::string_view kTypeRedirect = "REDR";
inline constexpr std::string_view kTypeHash = "HASH";
inline constexpr std::string_view kTypeBlank = "BLANK";
inline constexpr std::string_view kTypeBadFood = "BAD FOOD";

// The type-name text of a record of `kind`; empty for an unrecognised block.
std::string_view TypeNameOf(BlockKind kind);

class IndexRecord {
public:
    // `bytes` is the part of the record the file holds; it may be shorter than `size`
    // when the record's block count reaches past the end of the file. The bytes are
    // owned by the document, which outlives its records. `marks` are what the walk
    // learnt of it; the kind of entry is the record's own to tell.
    IndexRecord(const IndexHeader& header, std::uint32_t number, BlockKind kind, ByteView bytes, std::uint64_t size,
                RecordMarks marks = {});
    virtual ~IndexRecord() = default;
    IndexRecord(const IndexRecord&) = delete;
    IndexRecord& operator=(const IndexRecord&) = delete;

    BlockKind Kind() const { return m_kind; }
    std::string_view TypeName() const { return TypeNameOf(m_kind); }
    std::uint32_t RecordNumber() const { return m_dwNumber; }
    // The record's length in bytes: as its block count claims it, or up to where another
    // record begins when it is partial.
    std::uint64_t Size() const { return m_qwSize; }
    // The bytes the record holds: Size() bytes, or fewer for a record cut off by the end of the file.
    ByteView Bytes() const { return m_bytes; }
    virtual std::string_view UrlText() const = 0;
    // Status, hashed, partial and the kind of entry (see model/RecordEvidence.h).
    RecordMarks Marks() const { return m_marks; }

    void Write(std::ostream& out) const;

protected:
    const IndexHeader& Header() const { return m_header; }
    void SetEntryKind(EntryKind kind) { m_marks.SetKind(kind); }

private:
    ByteView m_bytes;
    std::uint64_t m_qwSize;
    std::uint32_t m_dwNumber;
    BlockKind m_kind;
    RecordMarks m_marks;
    const IndexHeader& m_header;
};

class FillRecord : public IndexRecord {
public:
    FillRecord(const IndexHeader& header, std::uint32_t number, BlockKind kind, ByteView bytes, std::uint64_t size,
               RecordMarks marks = {});
    std::string_view UrlText() const override { return {}; }
};

class HashRecord : public IndexRecord {
public:
    HashRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
               RecordMarks marks = {});
    std::string_view UrlText() const override { return {}; }
};

class RedirectRecord : public IndexRecord {
public:
    RedirectRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
                   RecordMarks marks = {});
    std::string_view UrlText() const override { return m_url; }

private:
    std::string_view m_url;
};

class UrlRecord : public IndexRecord {
public:
    UrlRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
              RecordMarks marks = {});
    std::string_view UrlText() const override;

    TimeValue ModifiedTime() const;
    TimeValue AccessedTime() const;
    // The stored times themselves, for callers that need the true instants.
    FileTime ModifiedFileTime() const { return ReadU64(Bytes(), kModifiedTimeOffset); }
    FileTime AccessedFileTime() const { return ReadU64(Bytes(), kAccessedTimeOffset); }
    std::string_view FileNameText() const;
    std::string_view HttpHeadersText() const;
    std::string_view CacheDirText() const;
    // The byte that CacheDirText reads, as it stands (values from 0x80 name no directory).
    std::uint8_t CacheDirIndex() const;
    // Where the fields past the list's lie in this file's version (see RecordEvidence).
    const UrlFieldLayout& FieldLayout() const { return Header().IsVersion4() ? kUrlFieldsV4 : kUrlFieldsV5; }

protected:
    UrlRecord(const IndexHeader& header, BlockKind kind, std::uint32_t number, ByteView bytes, std::uint64_t size,
              RecordMarks marks);

private:
    std::string_view TextAtOffsetField(std::size_t fieldOffset) const;
    bool m_bHasUrl;
};

class LeakRecord : public UrlRecord {
public:
    LeakRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
               RecordMarks marks = {});
};

// The record of `kind` built over `held`, the part of its `size` bytes the file holds;
// null for an unrecognised block.
std::unique_ptr<IndexRecord> MakeRecord(BlockKind kind, const IndexHeader& header, std::uint32_t number, ByteView held,
                                        std::uint64_t size, RecordMarks marks = {});

// Calls `visit` with the record of `kind` built on the stack, as MakeRecord would build it
// on the heap: for walks that look at each record once. False for an unrecognised block.
template <class Visit>
bool VisitRecord(BlockKind kind, const IndexHeader& header, std::uint32_t number, ByteView held, std::uint64_t size,
                 RecordMarks marks, Visit&& visit) {
    switch (kind) {
        case BlockKind::Url: visit(UrlRecord(header, number, held, size, marks)); return true;
        case BlockKind::Leak: visit(LeakRecord(header, number, held, size, marks)); return true;
        case BlockKind::Hash: visit(HashRecord(header, number, held, size, marks)); return true;
        case BlockKind::Redirect: visit(RedirectRecord(header, number, held, size, marks)); return true;
        case BlockKind::BadFood: visit(FillRecord(header, number, kind, held, size, marks)); return true;
        case BlockKind::Blank: visit(FillRecord(header, number, kind, held, size, marks)); return true;
        case BlockKind::Unrecognised: break;
    }
    return false;
}

// The record as a UrlRecord when it is a URL or LEAK record, else null.
const UrlRecord* AsUrlRecord(const IndexRecord& record);

}  // namespace tallowmark
