#pragma once

#include <string>

#include "model/IndexRecord.h"

namespace tallowmark {

inline constexpr const char* kCsvHeaderLine =
    "# record number,type,data,size,modified date/time,accessed date/time,cache directory,cache filename\r\n";
inline constexpr const char* kMsgCannotWriteExport = "The file %1 could not be opened for writing.";
inline constexpr const char* kMsgExportWriteFailed = "An error occurred while writing %1; the export is incomplete.";

// Appends one record's CSV line (ended by CR LF) to `out`.
void AppendCsvLine(std::string& out, const IndexRecord& record, bool isVersion4);

}  // namespace tallowmark
