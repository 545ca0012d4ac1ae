#include "app/application.h"
#include "app/font_substitution.h"
#include "workbook/common/workbook_provider.h"

#include <gtest/gtest.h>

// The widget tests drive the real window on the offscreen platform unless told otherwise.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    Application application(argc, argv);
    installFontSubstitutions();
    workbook::registerProviders();
    return RUN_ALL_TESTS();
}
