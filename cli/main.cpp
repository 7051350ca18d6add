#include <exception>
#include <iostream>
#include <new>

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
    // Whatever goes wrong ends with a message and status 1, never with an abort; an
    // output not yet complete is removed as the stack unwinds.
    try {
        return tallowmark::RunCli(tallowmark::platform::CommandLineArguments(argc, argv), std::cout, std::cerr,
                                  environment);
    } catch (const std::bad_alloc&) {
        std::cerr << "tallowmark-cli: not enough memory\n";
    } catch (const std::exception& error) {
        std::cerr << "tallowmark-cli: " << error.what() << "\n";
    } catch (...) {
        std::cerr << "tallowmark-cli: unexpected failure\n";
    }
    return 1;
}
