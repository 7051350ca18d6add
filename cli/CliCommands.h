#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallowmark {

// What tallowmark-cli learns from the system it runs on, rather than from its arguments.
struct CliEnvironment {
    bool stderrIsTerminal = false;  // a progress line is shown only then
    unsigned threads = 0;           // threads for batch work; 0: one per core
};

// Runs tallowmark-cli with `args` (without the program name); returns the exit code:
// 0 done, 1 a file could not be read or written, 2 bad usage or an input given as the
// output (nothing is written then).
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment = {});

}  // namespace tallowmark
