#include <QCoreApplication>

#include <gtest/gtest.h>

// The settings path falls back to the program's folder, which needs an application object.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
