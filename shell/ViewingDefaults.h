#pragma once
// The two display options new views start with, kept under "Settings".

namespace tallowmark {

class ViewingDefaults {
public:
    // Reads "Settings/ViewBadfoodRecords", then "Settings/ViewBlankRecords"; a missing or
    // unusable value counts as 1.
    void Load();
    bool GetDefaultViewBadfoodRecords() const { return m_bDefaultViewBadfoodRecords; }
    bool GetDefaultViewBlankRecords() const { return m_bDefaultViewBlankRecords; }
    // Each setter also writes the value, as 1 or 0.
    void SetDefaultViewBadfoodRecords(bool value);
    void SetDefaultViewBlankRecords(bool value);

private:
    bool m_bDefaultViewBadfoodRecords = true;
    bool m_bDefaultViewBlankRecords = true;
};

}  // namespace tallowmark
