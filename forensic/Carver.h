#pragma once
// Recovers index records from an image where no index file is left: a disk or partition,
// unallocated space, a page file, a memory dump. The image is read in bounded pieces on
// every core; every block boundary is a candidate, judged by forensic/CarveChecks. A
// whole index file found in the image is walked as the loader walks a file, with the
// status, hash entries and cuts its own bitmap and hash tables give, as far as that
// evidence says its blocks are its own; its records are not reported again as loose.
// Lines go out in image order, in a timeline format, each saying where it was found.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forensic/DiskImage.h"
#include "forensic/Timeline.h"

namespace tallowmark {

struct CarveOptions {
    TimelineOptions timeline;
    unsigned jobs = 1;                // threads reading and judging pieces
    std::string extractFolder;        // where found files are written out; empty: they are not
    std::vector<std::string> inputs;  // every image, which no file written may be
    std::size_t pieceBytes = 0;       // 0: the usual size (tests make it small)
};

struct CarveProgress {
    std::uint64_t bytesDone = 0, bytesTotal = 0;
    std::size_t records = 0;
};

struct CarveResult {
    bool allRead = true;             // false when a part of the image could not be read
    bool allExtracted = true;        // false when a found file could not be written out
    std::size_t records = 0;         // records written
    std::size_t foundFiles = 0;      // whole index files found
    std::size_t wallClockTimes = 0;  // times left on the source's wall clock, for want of its zone
};

// Carves `image` (shown as `source` in each line) and writes its lines to `out`. Every
// failure (a part unreadable, a found file not written out) goes to `say` as one line
// without the program's name; the carving goes on. `progress` is called now and then.
CarveResult CarveImage(ByteSource& image, const std::string& source, const CarveOptions& options, std::ostream& out,
                       const std::function<void(const std::string&)>& say,
                       const std::function<void(const CarveProgress&)>& progress = {});

// The name a found file at `imageOffset` is written out as, in the extract folder.
std::string ExtractedFileName(std::uint64_t imageOffset);

}  // namespace tallowmark
