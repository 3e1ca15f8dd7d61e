// GoogleTest main for the Qt tests: one QApplication (offscreen unless the
// environment says otherwise) with the platform queue on its loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/qt/qt_loop.h"

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    platform::qt::QtLoop loop;
    return RUN_ALL_TESTS();
}
