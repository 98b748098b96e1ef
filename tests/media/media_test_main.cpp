#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The image format plugins (GIF, JPEG) are found through the application
    // object, and the picture control and the player are widgets; no display
    // is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
