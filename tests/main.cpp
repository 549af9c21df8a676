// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QCoreApplication>

// Qt SerialPort needs an application object on the thread that uses the port.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
