#pragma once
// What the record list shows besides its columns' cells (presentation/Columns.h): the
// viewing options and how a row is drawn.

#include <memory>
#include <string>
#include <vector>

#include "model/IndexRecord.h"
#include "model/TallowmarkDoc.h"
#include "presentation/Columns.h"

namespace tallowmark {

// The text of the largest value any of `records` shows in the numeric column `column`
// (kColumnNumber or kColumnSize), for sizing that column.
std::string WidestNumberText(const RecordRange& records, int column);

// The viewing options: which of the records that carry nothing a list shows, whether it
// draws deleted records apart, and which extra columns it shows.
struct ViewOptions {
    bool viewBlankRecords = true;
    bool viewBadfoodRecords = true;
    bool markDeletedRecords = true;
    ExtraColumns extraColumns = {};

    // Whether a row is made for the record.
    bool Shows(BlockKind kind) const {
        if (kind == BlockKind::Blank) return viewBlankRecords;
        if (kind == BlockKind::BadFood) return viewBadfoodRecords;
        return true;
    }
    bool Shows(const IndexRecord& record) const { return Shows(record.Kind()); }
    // Whether a list with `other` holds the same rows.
    bool SameRows(const ViewOptions& other) const {
        return viewBlankRecords == other.viewBlankRecords && viewBadfoodRecords == other.viewBadfoodRecords;
    }
    bool operator==(const ViewOptions&) const = default;
};

// How a row is drawn while the list marks deleted records: a deleted record muted and in
// italics with kDeletedMark in its "No." cell, a partial one (its claim cut short where
// another record begins) with kPartialMark. Only URL, LEAK and REDR records are marked (a
// blank block is free by nature), and a record of unknown status is drawn plainly: its
// status is never guessed.
inline constexpr const char* kDeletedMark = "\u2715";  // ✕ MULTIPLICATION X, in DejaVu Sans
inline constexpr const char* kPartialMark = "\u25D0";  // ◐ CIRCLE WITH LEFT HALF BLACK
struct RowLook {
    bool deleted = false;
    bool partial = false;

    bool Plain() const { return !deleted && !partial; }
    // The marks that go before the record number, "✕ " or "✕◐ ", in UTF-8.
    std::string NumberMark() const;
    // What the marks mean, for the "No." cell's tooltip; empty for a plain row.
    std::string Tooltip() const;
};
RowLook LookOf(const IndexRecord& record, bool markDeletedRecords);
// Every mark one of `records` is drawn with while the list marks deleted records.
RowLook MarksOfAny(const RecordRange& records);

}  // namespace tallowmark
