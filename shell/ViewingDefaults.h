#pragma once
// The display options new views start with, kept under "Settings".

namespace tallowmark {

class ViewingDefaults {
public:
    // Reads "Settings/ViewBadfoodRecords", "Settings/ViewBlankRecords" and
    // "Settings/MarkDeletedRecords"; a missing or unusable value counts as 1.
    void Load();
    bool GetDefaultViewBadfoodRecords() const { return m_bDefaultViewBadfoodRecords; }
    bool GetDefaultViewBlankRecords() const { return m_bDefaultViewBlankRecords; }
    bool GetDefaultMarkDeletedRecords() const { return m_bDefaultMarkDeletedRecords; }
    // Each setter also writes the value, as 1 or 0.
    void SetDefaultViewBadfoodRecords(bool value);
    void SetDefaultViewBlankRecords(bool value);
    void SetDefaultMarkDeletedRecords(bool value);

private:
    bool m_bDefaultViewBadfoodRecords = true;
    bool m_bDefaultViewBlankRecords = true;
    bool m_bDefaultMarkDeletedRecords = true;
};

}  // namespace tallowmark
