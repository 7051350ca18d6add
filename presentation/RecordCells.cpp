#include "presentation/RecordCells.h"

#include <algorithm>

#include "model/RecordEvidence.h"

namespace tallowmark {

std::string WidestNumberText(const RecordRange& records, int column) {
    std::uint64_t largest = 0;
    for (const auto& record : records)
        largest =
            std::max(largest, column == kColumnNumber ? std::uint64_t{record.RecordNumber()} + 1 : record.Size());
    return std::to_string(largest);
}

RowLook LookOf(const IndexRecord& record, bool markDeletedRecords) {
    // Blank and filler blocks are free by nature: only entries are deleted.
    if (!markDeletedRecords || !CarriesEvidence(record)) return {};
    const RecordMarks marks = record.Marks();
    return {marks.Status() == RecordStatus::Deleted, marks.Partial()};
}

RowLook MarksOfAny(const RecordRange& records) {
    RowLook marks;
    for (const auto& record : records) {
        const RecordMarks bits = record.Marks();
        if (bits.Status() != RecordStatus::Deleted && !bits.Partial()) continue;  // most records, quickly
        const RowLook look = LookOf(record, true);
        marks.deleted |= look.deleted;
        marks.partial |= look.partial;
        if (marks.deleted && marks.partial) break;
    }
    return marks;
}

std::string RowLook::NumberMark() const {
    if (Plain()) return {};
    std::string mark;
    if (deleted) mark += kDeletedMark;
    if (partial) mark += kPartialMark;
    return mark + " ";
}

std::string RowLook::Tooltip() const {
    std::string tip;
    if (deleted) tip = std::string(kDeletedMark) + " Deleted: the allocation bitmap marks this record's blocks free";
    if (partial) {
        if (!tip.empty()) tip += "\n";
        tip += std::string(kPartialMark) + " Partial: cut short where another record begins";
    }
    return tip;
}

}  // namespace tallowmark
