#pragma once
// The program's help page in a window of its own, so that help works where the desktop
// has no browser to hand it to.

#include <QString>
#include <QTextBrowser>

namespace tallowmark {

class HelpWindow : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);

    // The help page: beside the program in the build, in the data folder once installed;
    // where it was looked for first when it is in neither.
    static QString PagePath();
    // Shows `page` and brings the window to the front.
    void ShowPage(const QString& page);
};

}  // namespace tallowmark
