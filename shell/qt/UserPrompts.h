#pragma once
// The places where the program asks the user something or hands something to the
// desktop. Tests replace them so that no modal dialog or browser ever opens.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

#include "discovery/ImageFileSystems.h"
#include "platform/DesktopLaunch.h"
#include "widgets/MessageBoxes.h"

class QDialog;
class QWidget;

namespace tallowmark {

class FindFilesDlg;
class OpenImageDlg;

// Message and Details (a long text in an information box) come from MessagePrompts.
class UserPrompts : public MessagePrompts {
public:
    using Answer = MessageAnswer;

    // The existing files to open, one or several, the dialog starting in `folder` (empty:
    // the working folder); none when the user cancels.
    virtual QStringList AskOpenPaths(QWidget* parent, const QString& filter, const QString& folder);
    // A file to write, the dialog starting in `folder` with `name` filled in; empty when
    // the user cancels. Asks before replacing a file. A name without a suffix takes that of
    // the filter chosen, else `defaultSuffix`; `chosenFilter`, when given, gets the filter.
    virtual QString AskSavePath(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                const QString& folder, const QString& name, QString* chosenFilter = nullptr);
    // A line of text the user types after `prompt`, starting as `initial`; nothing when
    // the user cancels.
    virtual std::optional<QString> AskText(QWidget* parent, const QString& prompt, const QString& initial);
    // A question box captioned "Tallowmark" with Yes, No and Cancel.
    virtual Answer AskYesNoCancel(QWidget* parent, const QString& text);
    // Shows `dialog` modally; returns when the user closes it.
    virtual void RunModal(QDialog& dialog);
    // Hands a file or an address to the desktop's default application for it.
    virtual platform::LaunchResult OpenUrl(const QUrl& url);
    // Runs the Find Files dialog: the paths the user picked, in list order; none on Cancel.
    virtual std::vector<std::string> AskFoundFiles(FindFilesDlg& dialog);
    // Runs the Open Image dialog: the files the user picked, in list order; none on Cancel.
    virtual std::vector<FoundIndexFile> AskImageFiles(OpenImageDlg& dialog);
    virtual platform::LaunchResult OpenInTextEditor(const QString& path);
};

}  // namespace tallowmark
