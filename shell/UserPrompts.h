#pragma once
// The places where the program asks the user something or hands something to the
// desktop. Tests replace them so that no modal dialog or browser ever opens.

#include <QString>
#include <QUrl>
#include <string>
#include <vector>
#include <memory>

#include "platform/DesktopLaunch.h"

class QDialog;
class QWidget;

namespace tallowmark {

class UserPrompts {
public:
    enum class Icon { Information, Warning, Critical };
    enum class Answer { Yes, No, Cancel };

    virtual ~UserPrompts() = default;
    // An existing file to open, the dialog starting in `folder` (empty: the working
    // folder); empty when the user cancels.
    virtual QString AskOpenPath(QWidget* parent, const QString& filter, const QString& folder);
    // A file to write, the dialog starting in `folder` with `name` filled in; empty when
    // the user cancels. Asks before replacing a file.
    virtual QString AskSavePath(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                const QString& folder, const QString& name);
    // A message box captioned "Tallowmark".
    virtual void Message(QWidget* parent, Icon icon, const QString& text);
    // A question box captioned "Tallowmark" with Yes, No and Cancel.
    virtual Answer AskYesNoCancel(QWidget* parent, const QString& text);
    // Shows `dialog` modally; returns when the user closes it.
    virtual void RunModal(QDialog& dialog);
    // An information box for a long text: every character readable and selectable, long
    // lines wrapped anywhere, the box no wider than the screen.
    virtual void Details(QWidget* parent, const QString& text);
    // Hands a file or an address to the desktop's default application for it.
    virtual platform::LaunchResult OpenUrl(const QUrl& url);
    // Runs the Find Files dialog: the paths the user picked, in list order; none on Cancel.
    virtual std::vector<std::string> AskFoundFiles(QWidget* parent);
    virtual platform::LaunchResult OpenInTextEditor(const QString& path);
};

// The box that Details shows, built but not yet shown.
std::unique_ptr<QDialog> MakeDetailsBox(QWidget* parent, const QString& text);

}  // namespace tallowmark
