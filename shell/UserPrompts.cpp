#include "shell/UserPrompts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QMessageBox>

#include "discovery/FindFilesDlg.h"
#include "platform/TextEditor.h"

namespace tallowmark {

QString UserPrompts::AskOpenPath(QWidget* parent, const QString& filter, const QString& folder) {
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString UserPrompts::AskSavePath(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                 const QString& folder, const QString& name) {
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void UserPrompts::Message(QWidget* parent, Icon icon, const QString& text) {
    const auto qtIcon = icon == Icon::Information ? QMessageBox::Information
                        : icon == Icon::Warning   ? QMessageBox::Warning
                                                  : QMessageBox::Critical;
    QMessageBox box(qtIcon, QStringLiteral("Tallowmark"), text, QMessageBox::Ok, parent);
    box.exec();
}

UserPrompts::Answer UserPrompts::AskYesNoCancel(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tallowmark"), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    switch (box.exec()) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Cancel;
    }
}

void UserPrompts::RunModal(QDialog& dialog) { dialog.exec(); }

std::unique_ptr<QDialog> MakeDetailsBox(QWidget* parent, const QString& text) {
    auto owner = std::make_unique<QDialog>(parent);
    QDialog& box = *owner;
    box.setWindowTitle(QStringLiteral("Tallowmark"));
    auto* icon = new QLabel(&box);
    const int iconSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(box.style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto* body = new QPlainTextEdit(text, &box);
    body->setReadOnly(true);
    body->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    body->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    body->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);  // URLs have no blanks
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(body, 1);
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);

    // About 90 characters wide and as tall as the text, within the screen's free area.
    const QRect screen = (parent ? parent->screen() : box.screen())->availableGeometry();
    const QFontMetrics metrics = body->fontMetrics();
    const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 2;
    const int width = std::min(metrics.averageCharWidth() * 90 + iconSize + 60, screen.width() * 9 / 10);
    const int height = std::min(metrics.lineSpacing() * lines + 90, screen.height() * 8 / 10);
    box.resize(width, height);
    box.setMaximumSize(screen.size());
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    return owner;
}

void UserPrompts::Details(QWidget* parent, const QString& text) { MakeDetailsBox(parent, text)->exec(); }

platform::LaunchResult UserPrompts::OpenUrl(const QUrl& url) {
    const QByteArray target = url.isLocalFile() ? QFile::encodeName(url.toLocalFile()) : url.toEncoded();
    const platform::LaunchResult result = platform::OpenWithDefaultApplication(target.toStdString());
    if (result != platform::LaunchResult::Unavailable) return result;
    // A build without the desktop's own way: Qt asks a helper such as xdg-open.
    return QDesktopServices::openUrl(url) ? platform::LaunchResult::Started : platform::LaunchResult::Failed;
}

std::vector<std::string> UserPrompts::AskFoundFiles(QWidget* parent) {
    FindFilesDlg dialog(*this, parent);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.GetSelectedFiles();
}
platform::LaunchResult UserPrompts::OpenInTextEditor(const QString& path) {
    return platform::OpenInTextEditor(QFile::encodeName(path).toStdString());
}

}  // namespace tallowmark
