#pragma once
// Command identifiers. The numbers are kept as users of earlier versions know them
// from help texts and automation.

namespace tallowmark::cmd {

inline constexpr int ViewBlankRecords = 32771;
inline constexpr int ViewBadfoodRecords = 32772;
inline constexpr int FileProperties = 32773;
inline constexpr int Export = 32774;
inline constexpr int FindFiles = 32778;
inline constexpr int SaveSettingsAsDefaults = 32779;
inline constexpr int CachedFileDefault = 32780;
inline constexpr int CachedFileNotepad = 32781;
inline constexpr int DeleteOnRestart = 32782;
inline constexpr int FilterRecords = 32790;
inline constexpr int ViewTimeline = 32791;
inline constexpr int MarkDeletedRecords = 32792;
inline constexpr int OpenImage = 32793;
inline constexpr int WindowTabbed = 32794;
inline constexpr int ExportTimeline = 32795;

inline constexpr int FileOpen = 57601;
inline constexpr int FileClose = 57602;
inline constexpr int FileSaveAs = 57604;
inline constexpr int RecentFirst = 57616;
inline constexpr int RecentLast = 57624;
inline constexpr int EditCopy = 57634;
inline constexpr int EditCut = 57635;
inline constexpr int EditPaste = 57637;
inline constexpr int EditSelectAll = 57642;
inline constexpr int EditUndo = 57643;
inline constexpr int WindowNew = 57648;
inline constexpr int WindowArrange = 57649;
inline constexpr int WindowCascade = 57650;
inline constexpr int WindowTile = 57651;
inline constexpr int AppAbout = 57664;
inline constexpr int AppExit = 57665;
inline constexpr int HelpTopics = 57667;
inline constexpr int ContextHelp = 57669;
inline constexpr int Help = 57670;
inline constexpr int DefaultHelp = 57671;
inline constexpr int NextPane = 57680;
inline constexpr int PrevPane = 57681;
inline constexpr int ViewToolbar = 59392;
inline constexpr int ViewStatusBar = 59393;
inline constexpr int EntryDetails = 59411;

}  // namespace tallowmark::cmd
