// The desktop viewer on the 64 MiB synthetic file, offscreen: open to first rows painted,
// a sort by every column, toggling blank records, filtering as the user types, and peak
// memory; given a disk image that holds the same file, opening it from there against
// opening it loose.
#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QScrollBar>
#include <algorithm>
#include <utility>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>
#include <ctime>

#include "bench/IndexGenerator.h"
#include "discovery/ImageFileSystems.h"
#include "forensic/DiskImage.h"
#include "presentation/RecordCells.h"
#include "presentation/qt/RecordPane.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/qt/ChildFrame.h"
#include "shell/CommandIds.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/TallowmarkApp.h"
#include "shell/qt/UserPrompts.h"
#include "support/IndexFileBuilder.h"

namespace {

class AnswerOnce : public tallowmark::UserPrompts {
public:
    QString path;
    QStringList AskOpenPaths(QWidget*, const QString&, const QString&) override {
        return path.isEmpty() ? QStringList() : QStringList{std::exchange(path, QString())};
    }
    void Message(QWidget*, Icon, const QString& text) override { std::printf("message: %s\n", qPrintable(text)); }
};

// Processor time of this thread: on a shared machine it shows the work apart from the waiting.
double ThreadCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The most memory the process has held so far, in KiB.
long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Milliseconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

class KeepFound : public tallowmark::ImageWalkSink {
public:
    std::vector<tallowmark::FoundIndexFile> found;
    void Found(const tallowmark::FoundIndexFile& file) override { found.push_back(file); }
};

// File > Open of `path`, maximized and painted with its first rows.
void OpenAndPaint(tallowmark::MainFrame& frame, AnswerOnce& answers, const std::filesystem::path& path) {
    answers.path = QString::fromStdString(path.string());
    frame.RouteCommand(tallowmark::cmd::FileOpen);
    frame.ActiveChild()->showMaximized();
    frame.grab();
}

void CloseEverything(tallowmark::MainFrame& frame) {
    frame.findChild<QMdiArea*>()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Open to first rows painted, the best of three each: `file` through File > Open, then the
// same bytes found inside the disk image `imagePath`, read from there.
void CompareWithImage(tallowmark::MainFrame& frame, AnswerOnce& answers, const std::filesystem::path& file,
                      const std::string& imagePath) {
    tallowmark::OpenedImage image = tallowmark::OpenImage(imagePath);
    if (!image.reader) return void(std::printf("image: %s\n", image.outcome.message.c_str()));
    const auto opened = tallowmark::ImageFileSystems::Open(std::move(image.reader), imagePath);
    if (!opened.fileSystems) return void(std::printf("image: %s\n", opened.outcome.message.c_str()));
    KeepFound sink;
    opened.fileSystems->Walk({}, sink);
    const auto same = std::find_if(sink.found.begin(), sink.found.end(), [&](const tallowmark::FoundIndexFile& found) {
        return found.Readable() && found.size == std::filesystem::file_size(file);
    });
    if (same == sink.found.end()) return void(std::printf("image: no file of %s's size in it\n", file.c_str()));
    double loose = 1e9, inImage = 1e9;
    for (int run = 0; run < 3; ++run) {
        CloseEverything(frame);
        auto start = std::chrono::steady_clock::now();
        OpenAndPaint(frame, answers, file);
        loose = std::min(loose, Milliseconds(start));
        CloseEverything(frame);
        start = std::chrono::steady_clock::now();
        frame.Documents().OpenImageFile(opened.fileSystems, *same);
        frame.ActiveChild()->showMaximized();
        frame.grab();
        inImage = std::min(inImage, Milliseconds(start));
    }
    std::printf("open to first rows painted (best of 3): loose %.0f ms, inside the image %.0f ms: %.2fx (target at "
                "most 1.2x)\n",
                loose, inImage, inImage / loose);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Give it the file tallowmark-genindex wrote, so that generating it does not count
    // toward the peak memory.
    if (argc < 2) {
        std::fprintf(stderr, "usage: tallowmark_gui_bench INDEX_FILE (from tallowmark-genindex) [IMAGE holding it]\n");
        return 2;
    }
    const std::filesystem::path file = argv[1];
    const double fileMiB = static_cast<double>(std::filesystem::file_size(file)) / (1 << 20);

    tallowmark::TallowmarkApp app(argc, argv);
    auto prompts = std::make_unique<AnswerOnce>();
    AnswerOnce* answers = prompts.get();
    app.SetPrompts(std::move(prompts));
    app.SetRegistrationRoot({});  // the desktop is to keep offering the real program
    app.InitInstance();
    tallowmark::MainFrame& frame = *app.GetMainFrame();

    // The first document the program shows costs the same few MiB whatever its size (the
    // window's and the list's first layout and paint, code first run): a small one is shown
    // and closed first, so that what is measured below is the large document's own.
    const long kibAtStart = PeakKiB();
    const std::filesystem::path sample = std::filesystem::temp_directory_path() /
                                         ("tallowmark-bench-" + std::to_string(getpid()) + ".dat");
    tallowmark::testing::WriteFile(sample.string(), tallowmark::bench::GenerateSampleFile());
    OpenAndPaint(frame, *answers, sample);
    CloseEverything(frame);
    std::filesystem::remove(sample);
    const long kibBeforeOpening = PeakKiB();
    std::printf("memory before opening: %.0f MiB (%.1f MiB of it the first document, a small one, shown and closed)\n",
                static_cast<double>(kibBeforeOpening) / 1024.0,
                static_cast<double>(kibBeforeOpening - kibAtStart) / 1024.0);
    auto start = std::chrono::steady_clock::now();
    OpenAndPaint(frame, *answers, file);
    std::printf("open to first rows painted: %.0f ms\n", Milliseconds(start));

    tallowmark::TallowmarkView* view = frame.ActiveView();
    // The document and its rows; the file's own bytes are counted apart.
    const double recordCount = static_cast<double>(view->GetDocument().RecordCount());
    const double bytesOpened = static_cast<double>(PeakKiB() - kibBeforeOpening) * 1024.0;
    std::printf("memory of the open document: %.1f MiB, %.1f bytes a record past the file's bytes (%.0f records)\n",
                bytesOpened / (1 << 20), (bytesOpened - fileMiB * (1 << 20)) / recordCount, recordCount);
    for (int column = 0; column < 8; ++column) {
        for (int click = 0; click < 2; ++click) {
            start = std::chrono::steady_clock::now();
            emit view->horizontalHeader()->sectionClicked(column);
            view->grab();
            std::printf("sort by column %d (%s): %.0f ms\n", column, click ? "second click" : "first click",
                        Milliseconds(start));
        }
    }
    for (int toggle = 0; toggle < 2; ++toggle) {
        start = std::chrono::steady_clock::now();
        frame.RouteCommand(tallowmark::cmd::ViewBlankRecords);
        view->grab();
        std::printf("toggle blank records: %.0f ms (%d rows)\n", Milliseconds(start), view->model()->rowCount());
    }
    for (int toggle = 0; toggle < 2; ++toggle) {
        start = std::chrono::steady_clock::now();
        frame.RouteCommand(tallowmark::cmd::MarkDeletedRecords);
        view->grab();
        std::printf("toggle the marks of deleted records: %.0f ms\n", Milliseconds(start));
    }
    // The extra columns, all eight turned on (in the table's order: each its own section), and a sort by each;
    // then put away again.
    start = std::chrono::steady_clock::now();
    for (int column = tallowmark::kFirstExtraColumn; column < static_cast<int>(tallowmark::kRecordColumns.size());
         ++column)
        view->SetExtraColumn(column, true);
    view->grab();
    std::printf("turn on the extra columns: %.0f ms\n", Milliseconds(start));
    for (int column = tallowmark::kFirstExtraColumn; column < static_cast<int>(tallowmark::kRecordColumns.size());
         ++column) {
        start = std::chrono::steady_clock::now();
        emit view->horizontalHeader()->sectionClicked(column);
        view->grab();
        std::printf("sort by the extra column %s: %.0f ms\n",
                    tallowmark::kRecordColumns[static_cast<std::size_t>(column)].title, Milliseconds(start));
    }
    for (int column = tallowmark::kFirstExtraColumn; column < static_cast<int>(tallowmark::kRecordColumns.size());
         ++column)
        view->SetExtraColumn(column, false);

    // Each keystroke's refill, as the filter field runs it once typing pauses, until the
    // window is painted again: typing a host name, deleting it again, then a text that
    // matches nothing; without and with the timeline shown.
    auto* pane = static_cast<tallowmark::RecordPane*>(frame.ActiveChild()->widget());
    const QString typed = QStringLiteral("mail.example.com/path/1");
    auto typeAndErase = [&](const char* label) {
        double slowest = 0, slowestCpu = 0;
        auto keystroke = [&](const QString& text) {
            pane->FilterField()->setText(text);
            const auto began = std::chrono::steady_clock::now();
            const double cpuBegan = ThreadCpuMilliseconds();
            pane->ApplyFilterNow();
            QCoreApplication::processEvents();  // the list's delayed layout, the timeline when shown
            pane->grab();
            const double took = Milliseconds(began), cpu = ThreadCpuMilliseconds() - cpuBegan;
            slowest = std::max(slowest, took);
            slowestCpu = std::max(slowestCpu, cpu);
            std::printf("filter \"%s\"%s: %.0f ms, %.0f ms processor (%d rows)\n", qPrintable(text), label, took, cpu,
                        view->model()->rowCount());
        };
        for (int length = 1; length <= typed.size(); ++length) keystroke(typed.left(length));
        for (int length = static_cast<int>(typed.size()) - 1; length >= 0; --length) keystroke(typed.left(length));
        keystroke(QStringLiteral("no such site anywhere"));
        keystroke(QString());
        std::printf("slowest keystroke refill%s: %.0f ms, %.0f ms processor\n", label, slowest, slowestCpu);
    };
    typeAndErase("");
    frame.RouteCommand(tallowmark::cmd::ViewTimeline);
    typeAndErase(" with the timeline");
    frame.RouteCommand(tallowmark::cmd::ViewTimeline);

    start = std::chrono::steady_clock::now();
    for (int page = 0; page < 50; ++page) {
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() * page / 50);
        view->grab();
    }
    std::printf("scroll: %.1f ms a page\n", Milliseconds(start) / 50);

    const double peakMiB = static_cast<double>(PeakKiB()) / 1024.0;
    std::printf("peak memory: %.0f MiB (%.2fx the file)\n", peakMiB, peakMiB / fileMiB);
    if (argc > 2) CompareWithImage(frame, *answers, file, argv[2]);
    app.ExitInstance();
    return 0;
}
