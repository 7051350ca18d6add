#include "shell/qt/FrameSettings.h"

#include <QSettings>

#include "shell/WindowPlacement.h"

namespace tallowmark {

namespace {
constexpr const char* kPlaceKey = "Window/Placement";
constexpr const char* kMaximizedKey = "Window/Maximized";
constexpr const char* kTabbedKey = "Window/TabbedView";
constexpr const char* kDocumentsMaximizedKey = "Window/DocumentsMaximized";

bool ReadFlag(const QSettings& settings, const char* key, bool absent) {
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toInt(&ok);
    return ok ? value != 0 : absent;
}
}  // namespace

FrameSettings FrameSettings::Load() {
    const QSettings settings;
    FrameSettings kept;
    kept.place = ParseWindowPlace(settings.value(QLatin1String(kPlaceKey)).toString().toStdString());
    kept.maximized = ReadFlag(settings, kMaximizedKey, false);
    kept.tabbed = ReadFlag(settings, kTabbedKey, false);
    kept.documentsMaximized = ReadFlag(settings, kDocumentsMaximizedKey, true);
    return kept;
}

void FrameSettings::Save() const {
    QSettings settings;
    if (place) settings.setValue(QLatin1String(kPlaceKey), QString::fromStdString(WindowPlaceText(*place)));
    settings.setValue(QLatin1String(kMaximizedKey), maximized ? 1 : 0);
    settings.setValue(QLatin1String(kTabbedKey), tabbed ? 1 : 0);
    settings.setValue(QLatin1String(kDocumentsMaximizedKey), documentsMaximized ? 1 : 0);
}

}  // namespace tallowmark
