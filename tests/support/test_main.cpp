#include <QCoreApplication>
#include <gtest/gtest.h>

// Qt SQL finds its drivers only once an application object exists.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
