#pragma once
// An offscreen application for the GUI tests, with scripted answers to every prompt.

#include <gtest/gtest.h>

#include <QDialog>
#include <QString>
#include <deque>
#include <string>
#include <utility>
#include <functional>
#include <vector>

#include "shell/qt/MainFrame.h"
#include "shell/qt/TallowmarkApp.h"
#include "shell/qt/UserPrompts.h"
#include "support/TempDir.h"

namespace tallowmark::gui_testing {

struct ShownMessage {
    UserPrompts::Icon icon;
    QString text;
};

class ScriptedPrompts : public UserPrompts {
public:
    std::deque<QString> answers;  // paths the next file dialogs return; empty means Cancel
    std::vector<ShownMessage> messages;
    std::vector<QString> lastFilters;
    std::vector<std::pair<QString, QString>> startPlaces;  // the folder and name each file dialog starts with
    std::vector<QUrl> openedUrls;
    std::vector<std::string> foundFiles;  // what the next Find Files dialog returns
    std::function<std::vector<FoundIndexFile>(OpenImageDlg&)> onImageFiles;  // runs each Open Image dialog
    std::vector<QString> editedPaths;     // files handed to the text editor
    std::deque<Answer> questionAnswers;   // answers to the next questions; none left means Cancel
    std::vector<QString> questions;
    std::function<void(QDialog&)> onModal;  // looks at each modal dialog instead of running it
    std::function<void()> onMessage;        // looks at the windows while each message shows
    QString folderAnswer;                   // what the next folder dialog returns; empty means Cancel
    QString chosenFilter;                   // the filter the next save dialog says was chosen
    std::deque<std::optional<QString>> textAnswers;  // the next lines typed; none left means Cancel
    int modalDialogs = 0;
    platform::LaunchResult launchResult = platform::LaunchResult::Started;  // the desktop's answer to each launch

    // An answer of several lines picks several files.
    QStringList AskOpenPaths(QWidget*, const QString& filter, const QString& folder) override {
        startPlaces.push_back({folder, QString()});
        const QString answer = Next(filter);
        return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
    }
    QString AskSavePath(QWidget*, const QString& filter, const QString& suffix, const QString& folder,
                        const QString& name, QString* chosen) override {
        startPlaces.push_back({folder, name});
        if (chosen) *chosen = std::exchange(chosenFilter, QString());
        return Next(filter + QStringLiteral(" | ") + suffix);
    }
    std::optional<QString> AskText(QWidget*, const QString& prompt, const QString&) override {
        questions.push_back(prompt);
        if (textAnswers.empty()) return std::nullopt;
        const std::optional<QString> answer = textAnswers.front();
        textAnswers.pop_front();
        return answer;
    }
    void Message(QWidget*, Icon icon, const QString& text) override {
        messages.push_back({icon, text});
        if (onMessage) onMessage();
    }
    void Details(QWidget*, const QString& text) override { messages.push_back({Icon::Information, text}); }
    platform::LaunchResult OpenUrl(const QUrl& url) override {
        openedUrls.push_back(url);
        return launchResult;
    }
    std::vector<std::string> AskFoundFiles(FindFilesDlg&) override { return std::exchange(foundFiles, {}); }
    std::vector<FoundIndexFile> AskImageFiles(OpenImageDlg& dialog) override {
        return onImageFiles ? onImageFiles(dialog) : std::vector<FoundIndexFile>{};
    }
    QString AskFolder(QWidget*, const QString&) override { return std::exchange(folderAnswer, QString()); }
    platform::LaunchResult OpenInTextEditor(const QString& path) override {
        editedPaths.push_back(path);
        return launchResult;
    }
    Answer AskYesNoCancel(QWidget*, const QString& text) override {
        questions.push_back(text);
        if (questionAnswers.empty()) return Answer::Cancel;
        const Answer answer = questionAnswers.front();
        questionAnswers.pop_front();
        return answer;
    }
    void RunModal(QDialog& dialog) override {
        ++modalDialogs;
        if (onModal) onModal(dialog);
    }

private:
    QString Next(const QString& filter) {
        lastFilters.push_back(filter);
        if (answers.empty()) return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The one application of the test program, made by its main.
inline TallowmarkApp* g_pTestApp = nullptr;

// Each test starts the application afresh on empty settings.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TallowmarkApp& App() { return *g_pTestApp; }
    MainFrame& Frame() { return *App().GetMainFrame(); }
    ScriptedPrompts& Prompts() { return *m_pPrompts; }
    // Restarts the application, keeping the settings.
    void Restart();
    // Opens `path` through File Open.
    TallowmarkDoc* FileOpen(const QString& path);
    QString WriteIndex(const std::string& name, const std::vector<std::uint8_t>& bytes);
    std::vector<QString> MenuTitles();
    std::vector<QString> MenuItems(int menu);

    testing::TempDir m_files;
    ScriptedPrompts* m_pPrompts = nullptr;
};

}  // namespace tallowmark::gui_testing
