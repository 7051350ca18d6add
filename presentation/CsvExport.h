#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "model/IndexRecord.h"
#include "model/Outcome.h"
#include "model/TimeText.h"

namespace tallowmark {

inline constexpr const char* kCsvHeaderLine =
    "# record number,type,data,size,modified date/time,accessed date/time,cache directory,cache filename\r\n";
inline constexpr const char* kMsgCannotWriteExport = "The file %1 could not be opened for writing.";

class IndexStream;

// Appends one record's CSV line (ended by CR LF) to `out`.
void AppendCsvLine(std::string& out, const IndexRecord& record, bool isVersion4);
// The same with the time texts of a batch of lines.
void AppendCsvLine(std::string& out, const IndexRecord& record, bool isVersion4, ShortTimeTexts& times);

// Writes what TallowmarkDoc::WriteCsv writes for the same file, reading it in one pass
// without loading it whole and making the lines on `threads` threads (0: one per core).
// Fails only when reading fails midway.
Outcome StreamCsv(IndexStream& stream, std::ostream& out, bool viewBlankRecords, bool viewBadfoodRecords,
                  unsigned threads = 0);

class RecordFilter;
class TallowmarkDoc;

// The export of a filtered list: the records the options and the filter keep, in file
// order. Callers with no filter use the document's own ExportCsv.
void WriteFilteredCsv(std::ostream& out, const TallowmarkDoc& document, bool viewBlankRecords, bool viewBadfoodRecords,
                      const RecordFilter& filter);
// Never onto the document's own file, nor onto any of `openFiles`.
Outcome ExportFilteredCsv(const TallowmarkDoc& document, const std::string& path, bool viewBlankRecords,
                          bool viewBadfoodRecords, const RecordFilter& filter,
                          const std::vector<std::string>& openFiles = {});

}  // namespace tallowmark
