#include "tools/SampleScene.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "presentation/qt/TallowmarkView.h"
#include "shell/qt/ChildFrame.h"
#include "shell/qt/MainFrame.h"

namespace tallowmark {

QStringList SampleFiles(const QString& fixturesDir) {
    QStringList files;
    for (const char* name : {"history-ie5-index.dat", "leaks-index.dat", "content-ie5-index.dat"}) {
        const QString path = QDir(fixturesDir).filePath(QString::fromLatin1(name));
        if (QFileInfo::exists(path)) files.push_back(path);
    }
    return files;
}

bool ArrangeSampleScene(MainFrame& frame, const QStringList& files) {
    for (const QString& path : files)
        if (!frame.Documents().OpenDocumentFile(path.toStdString())) return false;
    ChildFrame* last = frame.ActiveChild();
    if (!last) return false;
    last->showMaximized();
    TallowmarkView* view = last->View();
    view->setCurrentIndex(view->model()->index(3, 0));
    QCoreApplication::processEvents();
    return true;
}

}  // namespace tallowmark
