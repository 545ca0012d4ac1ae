#include "app/application.h"
#include "app/font_substitution.h"
#include "app/frm_excel.h"
#include "workbook/common/workbook_provider.h"

int main(int argc, char** argv)
{
    Application application(argc, argv);
    installFontSubstitutions();
    workbook::registerProviders();
    Tfrm_Excel frm_Excel;
    frm_Excel.showMaximized();
    return application.exec();
}
