#include "shell/TallowmarkApp.h"

int main(int argc, char** argv) {
    tallowmark::TallowmarkApp app(argc, argv);
    // A path on the command line opens nothing: every document comes from a file the
    // user names in the program.
    if (!app.InitInstance()) return 0;
    const int code = app.exec();
    app.ExitInstance();
    return code;
}
