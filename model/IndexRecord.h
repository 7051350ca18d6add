#pragma once
// The records the walk finds, as light views over the file's bytes: a record is made when
// it is asked for and costs nothing once dropped. Each knows its kind from the walk; the
// type-name texts are what the list, the details and the exports show for the kinds.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "model/Format.h"
#include "model/IndexHeader.h"
#include "model/RecordMarks.h"
#include "model/format/UrlRecordLayout.h"
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

// A record of any kind; the classes below add the accessors of their kinds and hold nothing
// more, so that a record is passed by value and a URL or LEAK record is told by its Kind().
class IndexRecord {
public:
    // `bytes` is the part of the record the file holds; it may be shorter than `size`
    // when the record's block count reaches past the end of the file. The bytes and the
    // header are owned by the document or the reader, which outlive the view. `marks` are
    // what the walk learnt of it, taken as they are (the kind classes below tell the kind
    // of entry themselves).
    IndexRecord(const IndexHeader& header, std::uint32_t number, BlockKind kind, ByteView bytes, std::uint64_t size,
                RecordMarks marks = {});

    BlockKind Kind() const { return m_kind; }
    std::string_view TypeName() const { return TypeNameOf(m_kind); }
    std::uint32_t RecordNumber() const { return m_dwNumber; }
    // The record's length in bytes: as its block count claims it, or up to where another
    // record begins when it is partial.
    std::uint64_t Size() const { return m_qwSize; }
    // The bytes the record holds: Size() bytes, or fewer for a record cut off by the end of the file.
    ByteView Bytes() const { return m_bytes; }
    // The URL text of a URL, LEAK or REDR record; empty for the other kinds.
    std::string_view UrlText() const;
    // Status, hashed, partial and the kind of entry (see model/RecordEvidence.h).
    RecordMarks Marks() const { return m_marks; }

    void Write(std::ostream& out) const;

protected:
    const IndexHeader& Header() const { return *m_pHeader; }
    void SetEntryKind(EntryKind kind) { m_marks.SetKind(kind); }
    // The URL text of a URL or LEAK record: where its offset field names the text's place.
    std::string_view UrlRecordText() const;

private:
    ByteView m_bytes;
    std::uint64_t m_qwSize;
    std::uint32_t m_dwNumber;
    BlockKind m_kind;
    RecordMarks m_marks;
    const IndexHeader* m_pHeader;
};

class FillRecord : public IndexRecord {
public:
    FillRecord(const IndexHeader& header, std::uint32_t number, BlockKind kind, ByteView bytes, std::uint64_t size,
               RecordMarks marks = {});
};

class HashRecord : public IndexRecord {
public:
    HashRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
               RecordMarks marks = {});
};

class RedirectRecord : public IndexRecord {
public:
    RedirectRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
                   RecordMarks marks = {});
};

class UrlRecord : public IndexRecord {
public:
    UrlRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
              RecordMarks marks = {});

    TimeValue ModifiedTime() const;
    TimeValue AccessedTime() const;
    // The stored times themselves, for callers that need the true instants.
    FileTime ModifiedFileTime() const { return ReadU64(Bytes(), urlrecord::kModifiedTime.Offset()); }
    FileTime AccessedFileTime() const { return ReadU64(Bytes(), urlrecord::kAccessedTime.Offset()); }
    std::string_view FileNameText() const;
    std::string_view HttpHeadersText() const;
    std::string_view CacheDirText() const;
    // The byte that CacheDirText reads, as it stands (values from 0x80 name no directory).
    std::uint8_t CacheDirIndex() const;
    // The data area, within the bytes the record holds, as long as its data size says: in
    // 5.2 it begins where HttpHeadersText does. Empty where its offset is not past the
    // record's first 8 bytes and inside it, the rule of the list's texts.
    ByteView DataArea() const;
    // The file's version, which decides where the fields past the list's lie (see
    // model/format/UrlRecordLayout.h; RecordEvidence reads them).
    FormatVersion Version() const { return Header().Version(); }

protected:
    UrlRecord(const IndexHeader& header, BlockKind kind, std::uint32_t number, ByteView bytes, std::uint64_t size,
              RecordMarks marks);

private:
    friend std::optional<UrlRecord> AsUrlRecord(const IndexRecord& record);
    // The URL or LEAK record `record` is, its marks as they stand.
    explicit UrlRecord(const IndexRecord& record) : IndexRecord(record) {}
    std::string_view TextAtOffsetField(std::size_t fieldOffset) const;
};

class LeakRecord : public UrlRecord {
public:
    LeakRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
               RecordMarks marks = {});
};

// Calls `visit` with the record of `kind` built over `held`, the part of its `size` bytes
// the file holds, its kind of entry told: for walks that look at each record once. False
// for an unrecognised block.
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

// The record as a UrlRecord when it is a URL or LEAK record, else nothing.
std::optional<UrlRecord> AsUrlRecord(const IndexRecord& record);

}  // namespace tallowmark
