#include "ScratchFolders.h"
#include "ScriptedPrompter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// SLIP_TEST_APP says which application object a test program needs: 0 the
// core one (model, storage and other layers below the windows must work
// without a display), 1 the GUI one (painting and printing), 2 widgets.
#include "core/Fonts.h"
#if SLIP_TEST_APP == 2
#include "ui/Prompt.h"
#include <QApplication>
using TestApp = QApplication;
#elif SLIP_TEST_APP == 1
#include <QGuiApplication>
using TestApp = QGuiApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

#ifdef SLIP_SANITIZED
// The print system keeps its paper tables until the process ends: no leak of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:_ppdCacheCreateWithPPD\n";
}
#endif

// Every test program runs on its own data and config folders, never the user's.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    slip::test::UseScratchFolders(home.path());
    TestApp app(argc, argv);
#if SLIP_TEST_APP >= 1
    slip::InstallFontSubstitutions();
#endif
#if SLIP_TEST_APP == 2
    slip::test::InstallPrompter = [](slip::Prompter* p) { slip::SetPrompter(p); };
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
