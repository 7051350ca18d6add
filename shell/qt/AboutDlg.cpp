#include "shell/qt/AboutDlg.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/qt/AboutText.h"
#include "shell/qt/AppIcons.h"
#include "shell/qt/UserPrompts.h"

namespace tallowmark {

namespace {
constexpr int kIconSize = 32;
constexpr int kTextWidth = 380;

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QLabel* StaticText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    // Statics let the mouse through, so the dialog sees every move and click.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}
}  // namespace

AboutDlg::AboutDlg(UserPrompts& prompts, std::function<void(const QUrl&)> open, QWidget* parent)
    : QDialog(parent),
      m_prompts(prompts),
      m_open(std::move(open)),
      m_staticDescription(StaticText(FromUtf8(about::kDescription), this)),
      m_staticVersion(StaticText(FromUtf8(about::kVersionLine), this)),
      m_staticCopyright(StaticText(FromUtf8(about::kCopyright), this)) {
    setWindowTitle(QStringLiteral("About Tallowmark"));
    setMouseTracking(true);
    m_staticVersion->setObjectName(QStringLiteral("version"));
    m_staticCopyright->setObjectName(QStringLiteral("copyright"));
    m_staticDescription->setObjectName(QStringLiteral("description"));
    m_staticDescription->setWordWrap(true);
    m_staticDescription->setFixedWidth(kTextWidth);

    QLabel* icon = StaticText(QString(), this);
    icon->setPixmap(ApplicationIcon().pixmap(kIconSize, kIconSize));

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* links = new QGridLayout;
    links->setColumnStretch(2, 1);
    links->setHorizontalSpacing(12);
    m_pWebLink = AddLink(links, 0, "Web Site:", about::kWebSiteUrl, "webLink");
    m_pForumLink = AddLink(links, 1, "Support Forum:", about::kForumUrl, "forumLink");
    m_pEmailLink = AddLink(links, 2, "Authors e-mail:", about::kSupportAddress, "emailLink");

    auto* text = new QVBoxLayout;
    text->addWidget(m_staticVersion);
    text->addWidget(m_staticCopyright);
    text->addSpacing(8);
    text->addWidget(m_staticDescription);
    text->addWidget(rule);
    text->addLayout(links);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(14);
    layout->addWidget(icon, 0, 0, Qt::AlignTop);
    layout->addLayout(text, 0, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ShowLinkState();
    ok->setFocus();
}

QLabel* AboutDlg::AddLink(QGridLayout* links, int row, const char* caption, const std::string& text, const char* name) {
    links->addWidget(StaticText(QString::fromLatin1(caption), this), row, 0);
    QLabel* link = StaticText(QString::fromStdString(text), this);
    link->setObjectName(QString::fromLatin1(name));
    link->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);  // only the text itself is the link
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    link->setPalette(palette);
    links->addWidget(link, row, 1);
    return link;
}

QLabel* AboutDlg::LinkAt(const QPoint& point) const {
    for (QLabel* link : {m_pEmailLink, m_pForumLink, m_pWebLink})
        if (link->geometry().contains(point)) return link;
    return nullptr;
}

// All links share the one state, so they all show it.
void AboutDlg::ShowLinkState() {
    for (QLabel* link : {m_pEmailLink, m_pForumLink, m_pWebLink}) {
        QFont font = link->font();
        font.setUnderline(m_bNotOverLink);
        link->setFont(font);
    }
    setCursor(m_bNotOverLink ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void AboutDlg::mouseMoveEvent(QMouseEvent* event) {
    const bool overLink = LinkAt(event->position().toPoint()) != nullptr;
    if (overLink == m_bNotOverLink) {
        m_bNotOverLink = !overLink;
        ShowLinkState();
    }
    QDialog::mouseMoveEvent(event);
}

void AboutDlg::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) m_ptButtonDown = event->position().toPoint();
}

void AboutDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QDialog::mouseReleaseEvent(event);
    const QPoint point = event->position().toPoint();
    if (point == m_ptButtonDown) {
        QLabel* link = LinkAt(point);
        if (link == m_pEmailLink) SendEmail();
        else if (link == m_pForumLink)
            OpenForum();
        else if (link == m_pWebLink)
            OpenWebSite();
    }
    QDialog::mouseReleaseEvent(event);
    m_ptButtonDown = QPoint(-1, -1);
}

void AboutDlg::Open(const std::string& address) {
    m_open(QUrl(QString::fromStdString(address)));
}

void AboutDlg::OpenWebSite() { Open(about::kWebSiteUrl); }

void AboutDlg::OpenForum() { Open(about::kForumUrl); }

void AboutDlg::SendEmail() {
    switch (m_prompts.AskYesNoCancel(this, QString::fromLatin1(about::kEmailQuestion))) {
        case UserPrompts::Answer::Yes: OpenForum(); break;
        case UserPrompts::Answer::No: Open(about::kEmailUrl); break;
        case UserPrompts::Answer::Cancel: break;
    }
}

}  // namespace tallowmark
