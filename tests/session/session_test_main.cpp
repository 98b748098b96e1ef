#include "net/NetTestSupport.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Picture sizes of the index pages are read through the image plugins,
    // which need the application object; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // No test may ask the platform's name service: every name a test does not
    // give its resolver is unknown.
    velbrin::SetDefaultHostResolver(std::make_shared<velbrin::testing::TFakeResolver>());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
