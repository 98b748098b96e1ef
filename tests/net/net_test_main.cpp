#include "net/NetTestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // No test may ask the platform's name service: every name a test does not
    // give its own resolver is unknown.
    velbrin::SetDefaultHostResolver(std::make_shared<velbrin::testing::TFakeResolver>());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
