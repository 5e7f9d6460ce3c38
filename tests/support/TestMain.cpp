#include "ScratchFolders.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "storage/Fonts.h"

// Every test program runs on its own data and config folders, never the user's.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    slip::test::UseScratchFolders(home.path());
    QApplication app(argc, argv);
    slip::InstallFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
