// One offscreen application for all GUI tests, with its settings in a temporary folder.
#include <gtest/gtest.h>

#include <QSettings>
#include <QStandardPaths>

#include "shell/TallowmarkApp.h"
#include "support/TempDir.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tallowmark::testing::TempDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settingsDir.Root().string()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(settingsDir.Root().string()));
    tallowmark::TallowmarkApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
