#pragma once
// The "About Tallowmark" box: name, version, copyright, description and three links.

#include <QDialog>
#include <QPoint>
#include <functional>
#include <string>

class QGridLayout;
class QLabel;
class QUrl;

namespace tallowmark {

class UserPrompts;

// The links are plain labels that the dialog itself makes act as links: underlined in the
// link colour while the pointer is elsewhere, plain under a hand pointer while it is over
// one. A click opens a link only when press and release fall on the same pixel, so a
// user who starts to drag can still change their mind.
class AboutDlg : public QDialog {
    Q_OBJECT
public:
    // `open` hands a link's address to the desktop; `prompts` asks the e-mail question.
    AboutDlg(UserPrompts& prompts, std::function<void(const QUrl&)> open, QWidget* parent = nullptr);

    // The link under `point` (in the dialog's coordinates), or null.
    QLabel* LinkAt(const QPoint& point) const;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* AddLink(QGridLayout* links, int row, const char* caption, const std::string& text, const char* name);
    void ShowLinkState();
    void Open(const std::string& address);
    void OpenWebSite();
    void OpenForum();
    void SendEmail();

    UserPrompts& m_prompts;
    std::function<void(const QUrl&)> m_open;
    QLabel* m_staticDescription;
    QLabel* m_staticVersion;
    QLabel* m_staticCopyright;
    QLabel* m_pEmailLink = nullptr;
    QLabel* m_pForumLink = nullptr;
    QLabel* m_pWebLink = nullptr;
    QPoint m_ptButtonDown{-1, -1};  // where the left button went down; (-1, -1) when no press is pending
    bool m_bNotOverLink = true;
};

}  // namespace tallowmark
