#pragma once
// The display options new views start with, kept under "Settings".

#include <vector>

#include "presentation/HeaderLayout.h"
#include "presentation/RecordCells.h"

namespace tallowmark {

class ViewingDefaults {
public:
    // Reads "Settings/ViewBadfoodRecords", "Settings/ViewBlankRecords" and
    // "Settings/MarkDeletedRecords", where a missing or unusable value counts as 1, and
    // "Settings/ExtraColumns", the titles of the extra columns shown (none when missing),
    // and "Window/Columns", the columns' order and widths as the user last left them.
    void Load();
    bool GetDefaultViewBadfoodRecords() const { return m_bDefaultViewBadfoodRecords; }
    bool GetDefaultViewBlankRecords() const { return m_bDefaultViewBlankRecords; }
    bool GetDefaultMarkDeletedRecords() const { return m_bDefaultMarkDeletedRecords; }
    ExtraColumns GetDefaultExtraColumns() const { return m_defaultExtraColumns; }
    const std::vector<HeaderPlace>& GetDefaultColumnLayout() const { return m_defaultColumnLayout; }
    // Each setter also writes the value, as 1 or 0.
    void SetDefaultViewBadfoodRecords(bool value);
    void SetDefaultViewBlankRecords(bool value);
    void SetDefaultMarkDeletedRecords(bool value);
    void SetDefaultExtraColumns(ExtraColumns columns);  // writes the titles
    // Kept whenever the user moves or sizes a column, for the lists opened after.
    void SetDefaultColumnLayout(std::vector<HeaderPlace> layout);

private:
    bool m_bDefaultViewBadfoodRecords = true;
    bool m_bDefaultViewBlankRecords = true;
    bool m_bDefaultMarkDeletedRecords = true;
    ExtraColumns m_defaultExtraColumns;
    std::vector<HeaderPlace> m_defaultColumnLayout;
};

}  // namespace tallowmark
