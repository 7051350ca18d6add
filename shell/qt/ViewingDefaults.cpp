#include "shell/qt/ViewingDefaults.h"

#include <QSettings>

namespace tallowmark {

namespace {
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
