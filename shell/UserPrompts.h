#pragma once
// The places where the program asks the user something or hands something to the
// desktop. Tests replace them so that no modal dialog or browser ever opens.

#include <QString>
#include <QUrl>
#include <memory>

class QDialog;
class QWidget;

namespace tallowmark {

class UserPrompts {
public:
    enum class Icon { Information, Warning, Critical };

    virtual ~UserPrompts() = default;
    // An existing file to open; empty when the user cancels.
    virtual QString AskOpenPath(QWidget* parent, const QString& filter);
    // A file to write; empty when the user cancels. Asks before replacing a file.
    virtual QString AskSavePath(QWidget* parent, const QString& filter, const QString& defaultSuffix);
    // A message box captioned "Tallowmark".
    virtual void Message(QWidget* parent, Icon icon, const QString& text);
    // An information box for a long text: every character readable and selectable, long
    // lines wrapped anywhere, the box no wider than the screen.
    virtual void Details(QWidget* parent, const QString& text);
    virtual void OpenUrl(const QUrl& url);
};

// The box that Details shows, built but not yet shown.
std::unique_ptr<QDialog> MakeDetailsBox(QWidget* parent, const QString& text);

}  // namespace tallowmark
