// The index file search on a tree of 100,000 files in 10,000 directories, offscreen:
// the bare walk, and the Find Files dialog from showing to its count, showing every
// status as it goes. bench/search-compare.sh sets it beside `find -iname index.dat`.
//   tallowmark_search_bench make-tree ROOT   writes the tree
//   tallowmark_search_bench ROOT [RUNS]      times the search of it
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "discovery/qt/FindFilesDlg.h"
#include "discovery/IndexFileSearch.h"
#include "shell/qt/UserPrompts.h"

namespace {

namespace fs = std::filesystem;

// 10 top directories of 9 middle ones of 110 leaves: 10,000 directories, ten files in
// each; one leaf in a hundred holds an index file, in varying letter case.
int MakeTree(const fs::path& root) {
    const char* indexNames[] = {"index.dat", "INDEX.DAT", "Index.Dat"};
    std::size_t directories = 0, files = 0, indexFiles = 0;
    const auto fill = [&](const fs::path& dir, bool withIndex) {
        fs::create_directories(dir);
        ++directories;
        for (int i = 0; i < 10; ++i, ++files) {
            const bool index = withIndex && i == 0;
            std::ofstream(dir / (index ? indexNames[indexFiles++ % 3] : "file" + std::to_string(i) + ".txt")) << "x";
        }
    };
    for (int top = 0; top < 10; ++top) {
        const fs::path topDir = root / ("top" + std::to_string(top));
        fill(topDir, false);
        for (int middle = 0; middle < 9; ++middle) {
            const fs::path middleDir = topDir / ("middle" + std::to_string(middle));
            fill(middleDir, false);
            for (int leaf = 0; leaf < 110; ++leaf)
                fill(middleDir / ("leaf" + std::to_string(leaf)), (directories % 100) == 0);
        }
    }
    std::printf("%s: %zu directories, %zu files, %zu named index.dat\n", root.c_str(), directories, files, indexFiles);
    return 0;
}

struct CountingSink : tallowmark::FindFilesSink {
    std::size_t found = 0, statuses = 0;
    void Send(tallowmark::FindFilesMessage message, std::string) override {
        if (message == tallowmark::WM_FINDFILES_FOUND) ++found;
        if (message == tallowmark::WM_FINDFILES_STATUS) ++statuses;
    }
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "make-tree") return MakeTree(argv[2]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tallowmark_search_bench make-tree ROOT | ROOT [RUNS]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string root = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const tallowmark::platform::SearchRoots where{{root}, {}};

    double bestWalk = 1e9, bestDialog = 1e9;
    std::size_t found = 0, statuses = 0;
    QString finalText;
    tallowmark::UserPrompts prompts;
    for (int run = 0; run < runs; ++run) {
        CountingSink sink;
        tallowmark::g_bStopSearch = false;
        auto start = std::chrono::steady_clock::now();
        tallowmark::FindFilesThreadProc(&sink, where);
        bestWalk = std::min(bestWalk, SecondsSince(start));
        found = sink.found;
        statuses = sink.statuses;

        tallowmark::FindFilesDlg dialog(
            prompts, nullptr, [&](tallowmark::FindFilesSink* reports) { return FindFilesThreadProc(reports, where); });
        QLineEdit* status = dialog.findChild<QLineEdit*>();
        QEventLoop loop;
        QObject::connect(status, &QLineEdit::textChanged, &loop, [&](const QString& text) {
            if (text.endsWith(QStringLiteral(" files found"))) loop.quit();
        });
        start = std::chrono::steady_clock::now();
        dialog.show();
        loop.exec();
        bestDialog = std::min(bestDialog, SecondsSince(start));
        finalText = status->text();
    }
    std::printf("walk alone:        %.3f s (best of %d; %zu found, %zu directories)\n", bestWalk, runs, found,
                statuses);
    std::printf("Find Files dialog: %.3f s (best of %d; status \"%s\")\n", bestDialog, runs, qPrintable(finalText));
    return 0;
}
