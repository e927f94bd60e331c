#include <QApplication>
#include <gtest/gtest.h>

// Every test binary gets a QApplication: models, timers, queued calls and
// widgets all need one, and offscreen keeps it headless.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
