#pragma once
// The scene people look at and the screenshot test checks: the real sample files open
// in their own windows, the last one maximised, its fourth row selected.

#include <QString>
#include <QStringList>

namespace tallowmark {

class MainFrame;

// The sample files found in `fixturesDir`, in a fixed order.
QStringList SampleFiles(const QString& fixturesDir);
// Opens `files` through the open-document operation, maximises the last window and
// selects its fourth row. False when a file did not open.
bool ArrangeSampleScene(MainFrame& frame, const QStringList& files);

}  // namespace tallowmark
