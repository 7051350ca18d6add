#include <iostream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "platform/Terminal.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    tallowmark::CliEnvironment environment;
    environment.stderrIsTerminal = tallowmark::platform::StandardErrorIsTerminal();
    return tallowmark::RunCli(args, std::cout, std::cerr, environment);
}
