#pragma once
// The CSV export: one line per record, in file order, of the records a list shows.

#include <ostream>
#include <string>
#include <vector>

#include "model/IndexRecord.h"
#include "model/Outcome.h"
#include "model/TallowmarkDoc.h"
#include "model/TimeText.h"
#include "presentation/ListText.h"
#include "presentation/RecordCells.h"
#include "presentation/RecordFilter.h"

namespace tallowmark {

inline constexpr const char* kCsvHeaderLine =
    "# record number,type,data,size,modified date/time,accessed date/time,cache directory,cache filename\r\n";
inline constexpr const char* kMsgCannotWriteExport = "The file %1 could not be opened for writing.";

class IndexStream;

// Appends one record's CSV line (ended by CR LF) to `out`.
void AppendCsvLine(std::string& out, const IndexRecord& record, bool isVersion4);
// The same with the time texts of a batch of lines.
void AppendCsvLine(std::string& out, const IndexRecord& record, bool isVersion4, ShortTimeTexts& times);

// The records of `document` of the kinds `shown` lets through and that `filter` keeps
// (an empty filter keeps every one), in file order, after the header line. Returns how
// many rows it wrote.
std::size_t WriteCsv(std::ostream& out, const TallowmarkDoc& document, ViewOptions shown,
                     const RecordFilter& filter = {});
// The same as a file for the user at `path`; never onto the document's own file, nor onto
// any of `openFiles`. `rows`, when given, gets how many rows were written.
Outcome ExportCsv(const std::string& path, const TallowmarkDoc& document, ViewOptions shown,
                  const RecordFilter& filter = {}, const std::vector<std::string>& openFiles = {},
                  std::size_t* rows = nullptr);

// What the status bar says once a file is exported: "Exported 1,234 rows to PATH" (the
// count's digits as `digits` writes them; `noun` is "row", "record").
std::string ExportedText(std::size_t count, std::string_view noun, const std::string& path,
                         CountDigits digits = nullptr);

// Writes what WriteCsv writes for the same file with no filter, reading it in one pass
// without loading it whole and making the lines on `threads` threads (0: one per core).
// Fails only when reading fails midway.
Outcome StreamCsv(IndexStream& stream, std::ostream& out, ViewOptions shown, unsigned threads = 0);

}  // namespace tallowmark
