#pragma once
// Every command's texts and keys, and the two menu bars, as plain data.

#include <string>
#include <vector>

#include "shell/CommandIds.h"

namespace tallowmark {

struct CommandInfo {
    int id;
    const char* resource;           // "status prompt\ntooltip" (the tooltip may be absent)
    std::vector<const char*> keys;  // in QKeySequence's portable text form
    bool checkable = false;         // shown with a tick that its update handler sets
};

struct MenuItemInfo {
    int id;            // 0 for a separator
    const char* text;  // menu text with '&' mnemonic and "\t" before the key shown
};

struct MenuInfo {
    const char* title;
    std::vector<MenuItemInfo> items;
};

const std::vector<CommandInfo>& CommandTable();
const CommandInfo* FindCommand(int id);
std::string CommandPrompt(const CommandInfo& command);   // the part before the line break
std::string CommandTooltip(const CommandInfo& command);  // the part after it, or empty

// The main window's menu bar: one while no document window is open, another while one is active.
const std::vector<MenuInfo>& NoDocumentMenu();
const std::vector<MenuInfo>& DocumentMenu();
// The record list's context menu.
const std::vector<MenuItemInfo>& RecordContextMenu();

// The toolbar: command ids, 0 for a separator.
const std::vector<int>& ToolbarLayout();

inline constexpr const char* kIdlePrompt = "For Help, press F1";
inline constexpr const char* kRecentFilePlaceholder = "Recent File";

}  // namespace tallowmark
