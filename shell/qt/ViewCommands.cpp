#include "shell/qt/ViewCommands.h"

#include "presentation/qt/TallowmarkView.h"
#include "shell/CommandIds.h"
#include "shell/qt/ViewingDefaults.h"

namespace tallowmark {

bool ViewCommands::OnCommand(int id) {
    ViewOptions options = m_view.Options();
    switch (id) {
        case cmd::ViewBlankRecords:
            options.viewBlankRecords = !options.viewBlankRecords;
            m_view.SetOptions(options);
            return true;
        case cmd::ViewBadfoodRecords:
            options.viewBadfoodRecords = !options.viewBadfoodRecords;
            m_view.SetOptions(options);
            return true;
        case cmd::MarkDeletedRecords:
            options.markDeletedRecords = !options.markDeletedRecords;
            m_view.SetOptions(options);
            return true;
        case cmd::SaveSettingsAsDefaults:
            m_defaults.SetDefaultViewBadfoodRecords(options.viewBadfoodRecords);
            m_defaults.SetDefaultViewBlankRecords(options.viewBlankRecords);
            m_defaults.SetDefaultMarkDeletedRecords(options.markDeletedRecords);
            m_defaults.SetDefaultExtraColumns(options.extraColumns);
            return true;
        case cmd::EntryDetails: m_view.ShowEntryDetails(); return true;
        case cmd::EditCopy: m_view.CopySelection(); return true;
        case cmd::EditSelectAll: m_view.selectAll(); return true;
        case cmd::FilterRecords: m_view.RequestFilterFocus(); return true;
        case cmd::ViewTimeline: m_view.SetTimelineShown(!m_view.IsTimelineShown()); return true;
        default: return false;
    }
}

std::optional<CommandState> ViewCommands::OnUpdateCommand(int id) {
    switch (id) {
        case cmd::ViewBlankRecords: return CommandState{true, m_view.ViewBlankRecords()};
        case cmd::ViewBadfoodRecords: return CommandState{true, m_view.ViewBadfoodRecords()};
        case cmd::MarkDeletedRecords: return CommandState{true, m_view.MarkDeletedRecords()};
        case cmd::SaveSettingsAsDefaults:
        case cmd::FilterRecords: return CommandState{};
        case cmd::EntryDetails: return CommandState{m_view.SelectionMark() != -1, std::nullopt};
        case cmd::EditCopy: return CommandState{m_view.HasSelection(), std::nullopt};
        case cmd::EditSelectAll: return CommandState{m_view.model()->rowCount() > 0, std::nullopt};
        case cmd::ViewTimeline: return CommandState{true, m_view.IsTimelineShown()};
        default: return std::nullopt;
    }
}

}  // namespace tallowmark
