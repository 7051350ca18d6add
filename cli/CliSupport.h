#pragma once
// What the commands of tallowmark-cli share.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "forensic/Timeline.h"

namespace tallowmark {

// Reports bad usage with the usage text; returns the exit code 2.
int UsageError(std::ostream& err, const std::string& problem);

// Calls `write` with standard output, or with the file at `path` when it is not empty,
// which replaces an existing file only once every byte is written, and reports a file
// that cannot be made or fully written, with the system's reason. Refuses, writing
// nothing, a `path` that is one of `inputs`. Returns the exit code: 0 when `write`
// returned true and everything reached its place, 2 for an input as the output, else 1.
int WriteOutput(const std::string& path, const std::vector<std::string>& inputs, std::ostream& out, std::ostream& err,
                const std::function<bool(std::ostream&)>& write);

// The N of --jobs N: a number from 1 to 999. False for anything else.
bool ParseJobCount(const std::string& value, unsigned& jobs);

// The F of --format F and the ZONE of --source-zone ZONE, of timeline and carve alike, put
// into `options`. 0 when the value is good, else the exit code of its usage error.
int ParseTimelineFormat(const std::string& value, TimelineOptions& options, std::ostream& err);
int ParseSourceZone(const std::string& value, TimelineOptions& options, std::ostream& err);

// Walks each root for files named index.dat, never entering links to directories, and
// calls `found` with each path as it turns up. A directory that can't be listed gets one
// line on `err` unless `quiet`. False if a root itself could not be listed.
bool FindIndexFiles(const std::vector<std::string>& roots, bool quiet, std::ostream& err,
                    const std::function<void(std::string)>& found);

int RunFind(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunTimeline(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const CliEnvironment& environment);
int RunCarve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const CliEnvironment& environment);
// The E01 line of the carve help: what this build reads.
std::string CarveImagesHelp();

}  // namespace tallowmark
