#include "shell/qt/UserPrompts.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QRegularExpression>

#include "discovery/qt/FindFilesDlg.h"
#include "discovery/qt/OpenImageDlg.h"
#include "platform/TextEditor.h"

namespace tallowmark {

QStringList UserPrompts::AskOpenPaths(QWidget* parent, const QString& filter, const QString& folder) {
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

QString UserPrompts::AskSavePath(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                 const QString& folder, const QString& name, QString* chosenFilter) {
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(name);
    // "CSV Files (*.csv)" gives its files the suffix "csv"; "All Files (*)" the default.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, defaultSuffix](const QString& chosen) {
        static const QRegularExpression kSuffix(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch match = kSuffix.match(chosen);
        dialog.setDefaultSuffix(match.hasMatch() ? match.captured(1) : defaultSuffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (chosenFilter) *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().first();
}

std::optional<QString> UserPrompts::AskText(QWidget* parent, const QString& prompt, const QString& initial) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Tallowmark"));
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

UserPrompts::Answer UserPrompts::AskYesNoCancel(QWidget* parent, const QString& text) {
    return AskYesNoCancelBox(parent, text);
}

void UserPrompts::RunModal(QDialog& dialog) { dialog.exec(); }

platform::LaunchResult UserPrompts::OpenUrl(const QUrl& url) {
    const QByteArray target = url.isLocalFile() ? QFile::encodeName(url.toLocalFile()) : url.toEncoded();
    const platform::LaunchResult result = platform::OpenWithDefaultApplication(target.toStdString());
    if (result != platform::LaunchResult::Unavailable) return result;
    // A build without the desktop's own way: Qt asks a helper such as xdg-open.
    return QDesktopServices::openUrl(url) ? platform::LaunchResult::Started : platform::LaunchResult::Failed;
}

std::vector<std::string> UserPrompts::AskFoundFiles(FindFilesDlg& dialog) {
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.GetSelectedFiles();
}

std::vector<FoundIndexFile> UserPrompts::AskImageFiles(OpenImageDlg& dialog) {
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.GetSelectedFiles();
}

platform::LaunchResult UserPrompts::OpenInTextEditor(const QString& path) {
    return platform::OpenInTextEditor(QFile::encodeName(path).toStdString());
}

}  // namespace tallowmark
