#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallowmark {

// Runs tallowmark-cli with `args` (without the program name); returns the exit code:
// 0 done, 1 a file could not be read or written, 2 bad usage.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tallowmark
