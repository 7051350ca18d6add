#include "shell/qt/ViewingDefaults.h"

#include <QSettings>

namespace tallowmark {

namespace {
constexpr const char* kColumnLayoutKey = "Window/Columns";

bool ReadFlag(const QSettings& settings, const char* key) {
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toInt(&ok);
    return ok ? value != 0 : true;
}
}  // namespace

void ViewingDefaults::Load() {
    QSettings settings;
    m_bDefaultViewBadfoodRecords = ReadFlag(settings, "Settings/ViewBadfoodRecords");
    m_bDefaultViewBlankRecords = ReadFlag(settings, "Settings/ViewBlankRecords");
    m_bDefaultMarkDeletedRecords = ReadFlag(settings, "Settings/MarkDeletedRecords");
    std::vector<std::string> titles;
    for (const QString& title : settings.value(QStringLiteral("Settings/ExtraColumns")).toStringList())
        titles.push_back(title.toStdString());
    m_defaultExtraColumns = ExtraColumnsTitled(titles);
    std::vector<std::string> layout;
    for (const QString& text : settings.value(QLatin1String(kColumnLayoutKey)).toStringList())
        layout.push_back(text.toStdString());
    m_defaultColumnLayout = ColumnLayoutOf(layout);
}

void ViewingDefaults::SetDefaultColumnLayout(std::vector<HeaderPlace> layout) {
    QStringList texts;
    for (const std::string& text : ColumnLayoutTexts(layout)) texts << QString::fromStdString(text);
    m_defaultColumnLayout = std::move(layout);
    QSettings().setValue(QLatin1String(kColumnLayoutKey), texts);
}

void ViewingDefaults::SetDefaultViewBadfoodRecords(bool value) {
    m_bDefaultViewBadfoodRecords = value;
    QSettings().setValue(QStringLiteral("Settings/ViewBadfoodRecords"), value ? 1 : 0);
}

void ViewingDefaults::SetDefaultViewBlankRecords(bool value) {
    m_bDefaultViewBlankRecords = value;
    QSettings().setValue(QStringLiteral("Settings/ViewBlankRecords"), value ? 1 : 0);
}

void ViewingDefaults::SetDefaultMarkDeletedRecords(bool value) {
    m_bDefaultMarkDeletedRecords = value;
    QSettings().setValue(QStringLiteral("Settings/MarkDeletedRecords"), value ? 1 : 0);
}

void ViewingDefaults::SetDefaultExtraColumns(ExtraColumns columns) {
    m_defaultExtraColumns = columns;
    QStringList titles;
    for (const std::string& title : ExtraColumnTitles(columns)) titles << QString::fromStdString(title);
    QSettings().setValue(QStringLiteral("Settings/ExtraColumns"), titles);
}

}  // namespace tallowmark
