#pragma once
// What the record list shows: its columns and the text of every cell.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "model/IndexRecord.h"

namespace tallowmark {

enum class CellAlignment { Left, Right };

struct ColumnInfo {
    const char* title;
    int width;  // pixels
    CellAlignment alignment;
};

inline constexpr int kColumnNumber = 0;
inline constexpr int kColumnType = 1;
inline constexpr int kColumnData = 2;
inline constexpr int kColumnSize = 3;
inline constexpr int kColumnModified = 4;
inline constexpr int kColumnAccessed = 5;
inline constexpr int kColumnCacheDir = 6;
inline constexpr int kColumnFileName = 7;

inline constexpr std::array<ColumnInfo, 8> kRecordColumns = {{
    {"No.", 50, CellAlignment::Right},
    {"Type", 80, CellAlignment::Left},
    {"Data", 400, CellAlignment::Left},
    {"Size", 50, CellAlignment::Right},
    {"Modified Date", 110, CellAlignment::Left},
    {"Accessed Date", 110, CellAlignment::Left},
    {"Cache Dir", 75, CellAlignment::Left},
    {"Filename", 110, CellAlignment::Left},
}};

// Version-4 files have no "Cache Dir" and "Filename" columns.
inline int ColumnCount(bool isVersion4) { return isVersion4 ? 6 : 8; }

// The text of one cell. Only records of type exactly "URL" fill columns 4 to 7, and
// columns 6 and 7 stay empty for version-4 files.
std::string CellText(const IndexRecord& record, int column, bool isVersion4);

// The text of the largest value any of `records` shows in the numeric column `column`
// (kColumnNumber or kColumnSize), for sizing that column.
std::string WidestNumberText(const std::vector<std::unique_ptr<IndexRecord>>& records, int column);

// Whether a row is made for the record under the two display options.
bool IsShown(const IndexRecord& record, bool viewBlankRecords, bool viewBadfoodRecords);

}  // namespace tallowmark
