#pragma once
// Runs tallowmark-cli's commands in the test process and keeps what they print.

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"

namespace tallowmark::testing {

struct CliRun {
    int code;
    std::string out, err;
};

inline CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace tallowmark::testing
