#include "shell/qt/DocumentLoad.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <thread>

namespace tallowmark {

Outcome LoadWhilePainting(TallowmarkDoc& document, const std::string& path, const LoadProgress& shown,
                          std::chrono::milliseconds quiet) {
    std::atomic<std::uint64_t> done{0}, total{0};
    QEventLoop loop;
    Outcome outcome;
    std::thread worker([&] {
        outcome = document.OnOpenDocument(path, [&](std::uint64_t reached, std::uint64_t of) {
            total = of;
            done = reached;
        });
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    const auto tell = [&] { shown(done, total); };
    if (quiet.count() == 0) tell();
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer ticks;
    ticks.setInterval(100);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        if (elapsed.elapsed() >= quiet.count()) tell();
    });
    ticks.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    return outcome;
}

}  // namespace tallowmark
