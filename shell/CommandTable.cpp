#include "shell/CommandTable.h"

namespace tallowmark {

namespace {
// Elsewhere than on Windows the file goes when the system restarts.
#ifdef _WIN32
constexpr const char* kDeleteOnRestartText = "&Delete on Windows Restart";
constexpr const char* kDeleteOnRestartResource =
    "Schedule the current file for deletion when Windows restarts\nSchedule for deletion";
#else
constexpr const char* kDeleteOnRestartText = "&Delete on Restart";
constexpr const char* kDeleteOnRestartResource =
    "Schedule the current file for deletion when the system restarts\nSchedule for deletion";
#endif
}  // namespace

const std::vector<CommandInfo>& CommandTable() {
    static const std::vector<CommandInfo> table = {
        {cmd::ViewBlankRecords, "Toggle display of blank records\nShow/Hide blank records", {"Ctrl+B"}, true},
        {cmd::ViewBadfoodRecords, "Toggle display of 0BADF00D records\nShow/Hide 0BADF00D records", {"Ctrl+D"}, true},
        {cmd::FileProperties,
         "Display summary information about this file\nFile Properties",
         {"Alt+Return", "Alt+Enter"}},
        {cmd::Export, "Exports data to a CSV file\n&Export to file", {"Ctrl+E"}},
        {cmd::ExportTimeline,
         "Writes the records the list shows as a timeline for forensic tools\nExport timeline",
         {"Ctrl+Shift+E"}},
        {cmd::FindFiles, "Searches the hard disk for index.dat files to open\nFind Files", {"Ctrl+Shift+F"}},
        {cmd::OpenImage,
         "Finds the index files inside a disk image, deleted ones included, and opens those you pick\nOpen Image",
         {}},
        {cmd::SaveSettingsAsDefaults,
         "Saves the current options as the default options to use when viewing all future files",
         {}},
        {cmd::CachedFileDefault, "Open the cached file in the its associated application\nOpen cached file", {}},
        {cmd::CachedFileNotepad, "Open the cached file in Notepad\nOpen in Notepad", {"Ctrl+N"}},
        {cmd::DeleteOnRestart, kDeleteOnRestartResource, {}, true},
        {cmd::FileOpen, "Open an existing document\nOpen", {"Ctrl+O"}},
        {cmd::FileClose, "Close the active document\nClose", {}},
        {cmd::FileSaveAs, "Save the active document with a new name\nSave As", {"Ctrl+S"}},
        {cmd::AppExit, "Quit the application; prompts to save documents\nExit", {}},
        {cmd::EditUndo, "Undo the last action\nUndo", {"Ctrl+Z", "Alt+Backspace"}},
        {cmd::EditCut, "Cut the selection and put it on the Clipboard\nCut", {"Ctrl+X", "Shift+Del"}},
        {cmd::EditCopy, "Copy the selection and put it on the Clipboard\nCopy", {"Ctrl+C", "Ctrl+Ins"}},
        {cmd::EditPaste, "Insert Clipboard contents\nPaste", {"Ctrl+V", "Shift+Ins"}},
        {cmd::EditSelectAll, "Select every row of the list\nSelect All", {"Ctrl+A"}},
        {cmd::ViewToolbar, "Show or hide the toolbar\nToggle ToolBar", {}, true},
        {cmd::ViewStatusBar, "Show or hide the status bar\nToggle StatusBar", {}, true},
        {cmd::EntryDetails, "View detailed information about the current entry\nView details", {"Return", "Enter"}},
        {cmd::WindowNew, "Open another window for the active document\nNew Window", {}},
        {cmd::WindowArrange, "Arrange icons at the bottom of the window\nArrange Icons", {}},
        {cmd::WindowCascade, "Arrange windows so they overlap\nCascade Windows", {}},
        {cmd::WindowTile, "Arrange windows as non-overlapping tiles\nTile Windows", {}},
        {cmd::WindowTabbed, "Show the document windows as tabs\nTabbed View", {}, true},
        {cmd::AppAbout, "Display program information, version number and copyright\nAbout", {}},
        {cmd::HelpTopics, "List Help topics\nHelp Topics", {}},
        {cmd::ContextHelp, "Display help for clicked on buttons, menus and windows\nHelp", {"Shift+F1"}},
        {cmd::Help, "Display help for current task or command\nHelp", {"F1"}},
        {cmd::FilterRecords, "Show only the records that contain a text\nFilter records", {"Ctrl+F"}},
        {cmd::ViewTimeline, "Show or hide the timeline of record times\nTimeline", {"Ctrl+T"}, true},
        {cmd::MarkDeletedRecords,
         "Draw the records the file marks as deleted apart from the live ones\nMark deleted records",
         {},
         true},
        {cmd::NextPane, "", {"F6"}},
        {cmd::PrevPane, "", {"Shift+F6"}},
    };
    return table;
}

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& command : CommandTable())
        if (command.id == id) return &command;
    return nullptr;
}

std::string CommandPrompt(const CommandInfo& command) {
    const std::string resource = command.resource;
    return resource.substr(0, resource.find('\n'));
}

std::string CommandTooltip(const CommandInfo& command) {
    const std::string resource = command.resource;
    const std::size_t lineBreak = resource.find('\n');
    return lineBreak == std::string::npos ? std::string() : resource.substr(lineBreak + 1);
}

const std::vector<MenuInfo>& NoDocumentMenu() {
    static const std::vector<MenuInfo> menu = {
        {"&File",
         {{cmd::FileOpen, "&Open...\tCtrl+O"},
          {cmd::OpenImage, "Open &Image..."},
          {cmd::FindFiles, "&Find index.dat Files...\tCtrl+Shift+F"},
          {0, nullptr},
          {cmd::RecentFirst, kRecentFilePlaceholder},
          {0, nullptr},
          {cmd::AppExit, "E&xit"}}},
        {"&View", {{cmd::ViewToolbar, "&Toolbar"}, {cmd::ViewStatusBar, "&Status Bar"}}},
        {"&Help", {{cmd::HelpTopics, "&Help Topics\tF1"}, {0, nullptr}, {cmd::AppAbout, "&About Tallowmark..."}}},
    };
    return menu;
}

const std::vector<MenuInfo>& DocumentMenu() {
    static const std::vector<MenuInfo> menu = {
        {"&File",
         {{cmd::FileOpen, "&Open...\tCtrl+O"},
          {cmd::OpenImage, "Open &Image..."},
          {cmd::FindFiles, "&Find index.dat Files...\tCtrl+Shift+F"},
          {cmd::FileClose, "&Close\tCtrl+F4"},
          {cmd::FileSaveAs, "Save &As...\tCtrl+S"},
          {cmd::DeleteOnRestart, kDeleteOnRestartText},
          {cmd::Export, "&Export...\tCtrl+E"},
          {cmd::ExportTimeline, "Export &Timeline...\tCtrl+Shift+E"},
          {0, nullptr},
          {cmd::FileProperties, "Propert&ies\tAlt+Enter"},
          {0, nullptr},
          {cmd::RecentFirst, kRecentFilePlaceholder},
          {0, nullptr},
          {cmd::AppExit, "E&xit"}}},
        {"&Edit",
         {{cmd::EditUndo, "&Undo\tCtrl+Z"},
          {0, nullptr},
          {cmd::EditCut, "Cu&t\tCtrl+X"},
          {cmd::EditCopy, "&Copy\tCtrl+C"},
          {cmd::EditPaste, "&Paste\tCtrl+V"},
          {0, nullptr},
          {cmd::EditSelectAll, "Select &All\tCtrl+A"},
          {cmd::FilterRecords, "&Filter Records\tCtrl+F"}}},
        {"&View",
         {{cmd::ViewToolbar, "&Toolbar"},
          {cmd::ViewStatusBar, "&Status Bar"},
          {0, nullptr},
          {cmd::EntryDetails, "&Entry Details\tEnter"},
          {cmd::CachedFileDefault, "Cached &File Using Default Application"},
          {cmd::CachedFileNotepad, "Cached File Using &Notepad\tCtrl+N"},
          {0, nullptr},
          {cmd::ViewTimeline, "Time&line\tCtrl+T"},
          {cmd::MarkDeletedRecords, "&Mark Deleted Records"}}},
        {"&Options",
         {{cmd::ViewBlankRecords, "Display &Blank Records\tCtrl+B"},
          {cmd::ViewBadfoodRecords, "Display 0BA&DF00D Records\tCtrl+D"},
          {0, nullptr},
          {cmd::SaveSettingsAsDefaults, "&Save Settings as Defaults"}}},
        {"&Window",
         {{cmd::WindowNew, "&New Window"},
          {cmd::WindowCascade, "&Cascade"},
          {cmd::WindowTile, "&Tile"},
          {cmd::WindowArrange, "&Arrange Icons"},
          {cmd::WindowTabbed, "Ta&bbed View"}}},
        {"&Help", {{cmd::HelpTopics, "&Help Topics\tF1"}, {0, nullptr}, {cmd::AppAbout, "&About Tallowmark..."}}},
    };
    return menu;
}

const std::vector<MenuItemInfo>& RecordContextMenu() {
    static const std::vector<MenuItemInfo> menu = {
        {cmd::EntryDetails, "View &Entry Details\tEnter"},
        {cmd::CachedFileDefault, "View Cached &File Using Default Application"},
        {cmd::CachedFileNotepad, "View Cached File in &Notepad\tCtrl+N"},
        {0, nullptr},
        {cmd::FileProperties, "File Propert&ies\tAlt+Enter"},
        {0, nullptr},
        {cmd::EditCopy, "&Copy\tCtrl+C"},
    };
    return menu;
}

const std::vector<int>& ToolbarLayout() {
    static const std::vector<int> layout = {cmd::FileOpen,   cmd::FileSaveAs, 0, cmd::EditCut,
                                            cmd::EditCopy,   cmd::EditPaste,  0, cmd::AppAbout,
                                            cmd::ContextHelp};
    return layout;
}

}  // namespace tallowmark
