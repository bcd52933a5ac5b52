#include "tests/support/TestEnvironment.h"

#include <QApplication>

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const std::string home = zellwick::test::IsolateUserFolders();
    // Widget tests draw on the offscreen platform unless a caller asks for a real screen.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int status = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    zellwick::test::RemoveUserFolders(home);
    return status;
}
