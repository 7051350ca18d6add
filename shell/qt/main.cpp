#include <cstdio>
#include <exception>

#include "shell/qt/TallowmarkApp.h"

int main(int argc, char** argv) {
    // Nothing ends the program with an abort: what escapes the event loop (start-up and
    // shutdown included) is reported and ends it with status 1.
    try {
        tallowmark::TallowmarkApp app(argc, argv);
        // A path alone on the command line opens nothing; "/dde PATH..." opens the files,
        // here or in the instance that is running already.
        if (!app.InitInstance()) return 0;
        const int code = app.exec();
        app.ExitInstance();
        return code;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tallowmark: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "tallowmark: unexpected failure\n");
    }
    return 1;
}
