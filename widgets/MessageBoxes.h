#pragma once
// The program's message boxes, captioned "Tallowmark", and the place a window shows them
// (and asks for a folder) through, which tests replace so that no modal box ever opens.

#include <QString>
#include <memory>

class QDialog;
class QWidget;

namespace tallowmark {

enum class MessageIcon { Information, Warning, Critical };
enum class MessageAnswer { Yes, No, Cancel };

void ShowMessageBox(QWidget* parent, MessageIcon icon, const QString& text);
// A question box with Yes, No and Cancel.
MessageAnswer AskYesNoCancelBox(QWidget* parent, const QString& text);
// An information box for a long text: every character readable and selectable, long
// lines wrapped anywhere, the box no wider than the screen. Built but not yet shown.
std::unique_ptr<QDialog> MakeDetailsBox(QWidget* parent, const QString& text);

class MessagePrompts {
public:
    using Icon = MessageIcon;

    virtual ~MessagePrompts() = default;
    virtual void Message(QWidget* parent, Icon icon, const QString& text);
    virtual void Details(QWidget* parent, const QString& text);
    // A folder the user picks, the dialog starting in `start`; empty when the user cancels.
    virtual QString AskFolder(QWidget* parent, const QString& start);
};

}  // namespace tallowmark
