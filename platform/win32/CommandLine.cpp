#include "platform/CommandLine.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "platform/win32/WideText.h"

#include <shellapi.h>

namespace tallowmark::platform {

std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return args;
    for (int i = 1; i < count; ++i) args.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

void UseBinaryStandardOutput() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace tallowmark::platform
