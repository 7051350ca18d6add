#include "shell/TallowmarkApp.h"

int main(int argc, char** argv) {
    tallowmark::TallowmarkApp app(argc, argv);
    // A path alone on the command line opens nothing; "/dde PATH..." opens the files,
    // here or in the instance that is running already.
    if (!app.InitInstance()) return 0;
    const int code = app.exec();
    app.ExitInstance();
    return code;
}
