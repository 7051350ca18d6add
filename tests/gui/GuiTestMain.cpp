// One offscreen application for all GUI tests, with its settings in a temporary folder.
#include <gtest/gtest.h>

#include <QSettings>
#include <QStandardPaths>
#include <filesystem>

#include "GuiTestSupport.h"
#include "support/TempDir.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tallowmark::testing::TempDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(settingsDir.Root().string()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(settingsDir.Root().string()));
    // Programs the tests start find their runtime, data and settings folders here too.
    tallowmark::testing::TempDir desktopDir;
    std::filesystem::permissions(desktopDir.Root(), std::filesystem::perms::owner_all);
    const QByteArray desktop = QByteArray::fromStdString(desktopDir.Root().string());
    qputenv("XDG_RUNTIME_DIR", desktop);
    qputenv("XDG_DATA_HOME", desktop + "/data");
    qputenv("XDG_CONFIG_HOME", desktop + "/config");
    qputenv("XDG_CACHE_HOME", desktop + "/cache");
    tallowmark::TallowmarkApp app(argc, argv);
    tallowmark::gui_testing::g_pTestApp = &app;
    app.SetCommandLine({QStringLiteral("tallowmark")});
    app.SetOpenChannelName(QString::fromUtf8(desktop + "/tallowmark.system"));
    app.SetRegistrationRoot({});
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
