#include "shell/UserPrompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

#include "discovery/FindFilesDlg.h"
#include "platform/TextEditor.h"

namespace tallowmark {

QString UserPrompts::AskOpenPath(QWidget* parent, const QString& filter) {
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString UserPrompts::AskSavePath(QWidget* parent, const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
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

void UserPrompts::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

std::vector<std::string> UserPrompts::AskFoundFiles(QWidget* parent) {
    FindFilesDlg dialog(*this, parent);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.GetSelectedFiles();
}
void UserPrompts::OpenInTextEditor(const QString& path) { platform::OpenInTextEditor(path.toStdString()); }

}  // namespace tallowmark
