#include <iostream>

#include "cli/CliCommands.h"
#include "platform/CommandLine.h"
#include "platform/OutputFile.h"
#include "platform/Terminal.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // The CSV carries its own CR LF line ends; Windows must not add a CR to them.
    tallowmark::platform::UseBinaryStandardOutput();
    // Ctrl+C or a closed pipe during -o leaves no half-written file behind.
    tallowmark::platform::RemoveUnfinishedOutputOnSignals();
    tallowmark::CliEnvironment environment;
    environment.stderrIsTerminal = tallowmark::platform::StandardErrorIsTerminal();
    return tallowmark::RunCli(tallowmark::platform::CommandLineArguments(argc, argv), std::cout, std::cerr,
                              environment);
}
