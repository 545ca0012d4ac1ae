// The window as it is created and shown: layout, fonts, colours, states, tab order.
#include "app/frm_excel.h"
#include "app/panels.h"
#include "app/picture_list.h"
#include "tests/support/qt_printers.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class WindowLayout : public ::testing::Test {
protected:
    template <class T = QWidget>
    T* child(const QString& name)
    {
        T* w = window.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    void showAtWidth(int width)
    {
        window.showNormal();
        window.resize(width, 481);
        QApplication::processEvents();
        window.layout()->activate();
    }

    Tfrm_Excel window;
};

const QStringList toolbarItems{"BtnOpen", "BtnSave", "Spacer1", "BtnInsertRecord", "BtnDeleteRecord",
                               "Spacer2", "BtnView", "BtnExit", "rb2003", "rb2007", "btnDelete",
                               "Button1", "Button2", "btn1"};

TEST_F(WindowLayout, ShowsMaximisedAndRestoresToItsPlace)
{
    window.showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Varnelo工具(Excel导入)"));
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.frameGeometry(), window.screen()->availableGeometry());
    window.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(window.geometry().size(), QSize(818, 481));
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(215, 104));
}

// Where each toolbar item stands at a given window width: left edge and top, by item.
TEST_F(WindowLayout, ToolbarFlowsItsItemsIntoRows)
{
    struct Case {
        int width;
        int toolbarHeight;
        std::vector<QPoint> places; // in the order of toolbarItems
    };
    const std::vector<QPoint> firstEleven{{4, 2},   {64, 2},   {124, 9},  {132, 2},  {192, 2}, {252, 9},
                                          {260, 2}, {320, 2},  {380, 13}, {493, 13}, {606, 9}};
    auto with = [&](std::vector<QPoint> rest) {
        std::vector<QPoint> all = firstEleven;
        all.insert(all.end(), rest.begin(), rest.end());
        return all;
    };
    const Case cases[] = {
        {818, 84, with({{4, 49}, {135, 49}, {266, 49}})},     // the restored width: two rows
        {1000, 84, with({{737, 9}, {868, 9}, {4, 49}})},      // Button2 ends at 999 and still fits
        {1130, 44, with({{737, 9}, {868, 9}, {999, 9}})},     // the narrowest width for one row
        {1129, 84, with({{737, 9}, {868, 9}, {4, 49}})},
        {1600, 44, with({{737, 9}, {868, 9}, {999, 9}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        showAtWidth(c.width);
        EXPECT_EQ(child("Toolbar1")->height(), c.toolbarHeight);
        for (int i = 0; i < toolbarItems.size(); ++i)
            EXPECT_EQ(child(toolbarItems[i])->pos(), c.places[static_cast<size_t>(i)]) << toolbarItems[i].toStdString();
    }
    showAtWidth(818);
    EXPECT_EQ(child("btnDelete")->geometry().right() + 1, 737);
    showAtWidth(1600);
    EXPECT_EQ(child("btn1")->geometry().right() + 1, 1130);
}

TEST_F(WindowLayout, ToolbarItemsHaveTheirSizesCaptionsHintsAndPictures)
{
    struct Item {
        const char* name;
        QSize size;
        QString caption;
        QString hint;
        int picture;
        int disabledPicture;
    };
    using namespace picture_list;
    const Item tools[] = {
        {"BtnOpen", {60, 40}, "打开Excel", "打开EXCEL文件", Open, Open},
        {"BtnSave", {60, 40}, "保存Excel", "保存", Save, SaveGrey},
        {"BtnInsertRecord", {60, 40}, "增加记录", "增加记录", InsertRecord, InsertRecordGrey},
        {"BtnDeleteRecord", {60, 40}, "删除记录", "删除记录", DeleteRecord, DeleteRecordGrey},
        {"BtnView", {60, 40}, "数据筛选", "数据筛选", View, View},
        {"BtnExit", {60, 40}, "退出", "", Exit, Save},
    };
    for (const Item& item : tools) {
        SCOPED_TRACE(item.name);
        auto* button = child<QToolButton>(item.name);
        EXPECT_EQ(button->size(), item.size);
        EXPECT_EQ(button->text(), item.caption);
        EXPECT_EQ(button->toolTip(), item.hint);
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
        const QImage normal = button->icon().pixmap(24, 24, QIcon::Normal).toImage();
        const QImage disabled = button->icon().pixmap(24, 24, QIcon::Disabled).toImage();
        EXPECT_EQ(normal.size(), QSize(24, 24));
        EXPECT_EQ(normal, picture(item.picture).toImage().convertToFormat(normal.format()));
        EXPECT_EQ(disabled, picture(item.disabledPicture).toImage().convertToFormat(disabled.format()));
        EXPECT_TRUE(normal.hasAlphaChannel());
    }
    for (const char* name : {"Spacer1", "Spacer2"})
        EXPECT_EQ(child(name)->size(), QSize(8, 25));
    const std::pair<const char*, QString> others[] = {
        {"rb2003", "Office 2003"},     {"rb2007", "Office 2007"}, {"btnDelete", "清除所有产品资料"},
        {"Button1", "数据分析"},        {"Button2", "客户编码同步"}, {"btn1", "清除所有客户信息"},
    };
    for (const auto& [name, caption] : others) {
        auto* button = child<QAbstractButton>(name);
        EXPECT_EQ(button->text(), caption) << name;
        EXPECT_EQ(button->size(), qobject_cast<QRadioButton*>(button) ? QSize(113, 17) : QSize(131, 25)) << name;
    }
    // The grey pictures are their coloured pictures in grey, with the same mask.
    for (auto [colour, grey] : {std::pair{Save, SaveGrey}, {InsertRecord, InsertRecordGrey}, {DeleteRecord, DeleteRecordGrey}}) {
        const QImage c = picture(colour).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage g = picture(grey).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) {
                ASSERT_EQ(qAlpha(c.pixel(x, y)), qAlpha(g.pixel(x, y)));
                ASSERT_TRUE(qAlpha(g.pixel(x, y)) == 0 || qIsGray(g.pixel(x, y)));
            }
    }
}

TEST_F(WindowLayout, SheetBarAndGreenPanel)
{
    window.show();
    QApplication::processEvents();
    struct Control {
        const char* name;
        QRect geometry;
        QColor text;
    };
    const Control controls[] = {
        {"cbTableName", {1, 1, 248, 27}, Qt::blue},
        {"btnOpenTable", {263, 2, 113, 25}, Qt::black},
        {"btnExec", {391, 2, 113, 25}, Qt::black},
        {"cbbTable", {513, 1, 240, 27}, Qt::blue},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* w = child(c.name);
        EXPECT_EQ(w->parentWidget()->objectName(), QStringLiteral("Panel2"));
        EXPECT_EQ(w->geometry(), c.geometry);
        EXPECT_EQ(QFontInfo(w->font()).family(), QStringLiteral("AR PL UMing CN"));
        EXPECT_EQ(w->font().pixelSize(), 19);
        EXPECT_EQ(w->palette().color(qobject_cast<QComboBox*>(w) ? QPalette::Text : QPalette::ButtonText), c.text);
    }
    EXPECT_EQ(child<QPushButton>("btnOpenTable")->text(), QStringLiteral("打开表格"));
    EXPECT_EQ(child<QPushButton>("btnExec")->text(), QStringLiteral("导入数据"));
    auto* targets = child<QComboBox>("cbbTable");
    ASSERT_EQ(targets->count(), 3);
    EXPECT_EQ(targets->itemText(0), QStringLiteral("产品资料（product）"));
    EXPECT_EQ(targets->itemText(1), QStringLiteral("客户信息（customers）"));
    EXPECT_EQ(targets->itemText(2), QStringLiteral("送货产品（deliveryorder）"));
    EXPECT_EQ(targets->currentIndex(), -1);
    EXPECT_EQ(child<QComboBox>("cbTableName")->count(), 0);

    auto* panel1 = child<Panel>("Panel1");
    QWidget* panel2 = child("Panel2");
    EXPECT_EQ(panel2->geometry(), QRect(1, 1, panel1->width() - 2, 30));
    EXPECT_EQ(panel1->caption(), QStringLiteral("打开EXCEL文件，选择工作表！"));
    EXPECT_EQ(panel1->captionColour(), QColor(Qt::yellow));
    EXPECT_EQ(QFontInfo(panel1->captionFont()).family(), QStringLiteral("AR PL UMing CN"));
    EXPECT_EQ(panel1->captionFont().pixelSize(), 19);
    EXPECT_EQ(panel1->palette().color(QPalette::Window), QColor(0, 0x80, 0));
    // The three regions stack over the whole client area.
    QWidget* toolbar = child("Toolbar1");
    QWidget* status = child("StatusBar1");
    EXPECT_EQ(panel1->y(), toolbar->geometry().bottom() + 1);
    EXPECT_EQ(status->y(), panel1->geometry().bottom() + 1);
    EXPECT_EQ(status->geometry().bottom() + 1, window.height());
    EXPECT_EQ(status->height(), 19);
    auto* pane1 = child<QLabel>("StatusPane1");
    auto* pane2 = child<QLabel>("StatusPane2");
    EXPECT_EQ(pane1->text(), QStringLiteral("Excel 数据导出程序"));
    EXPECT_TRUE(pane2->text().isEmpty());
    EXPECT_EQ(pane2->width(), 185);
    EXPECT_EQ(pane2->geometry().right() + 1, status->width());
    EXPECT_EQ(pane1->width(), status->width() - 185);
    EXPECT_EQ(QFontInfo(window.font()).family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(window.font().pixelSize(), 11);
}

TEST_F(WindowLayout, ControlsStartInTheirStates)
{
    const std::pair<const char*, bool> enabled[] = {
        {"BtnOpen", true},   {"BtnSave", false},  {"BtnInsertRecord", false}, {"BtnDeleteRecord", false},
        {"BtnView", true},   {"BtnExit", true},   {"rb2003", true},           {"rb2007", true},
        {"btnDelete", true}, {"Button1", true},   {"Button2", true},          {"btn1", true},
        {"cbTableName", true}, {"btnOpenTable", false}, {"btnExec", false},   {"cbbTable", true},
    };
    for (bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "shown" : "created");
        if (shown) {
            window.show();
            QApplication::processEvents();
        }
        for (const auto& [name, on] : enabled) {
            EXPECT_EQ(child(name)->isEnabled(), on) << name;
            EXPECT_FALSE(child(name)->isHidden()) << name;
        }
        EXPECT_TRUE(child("gdTable")->isHidden());
        EXPECT_TRUE(child<QRadioButton>("rb2003")->isChecked());
        EXPECT_FALSE(child<QRadioButton>("rb2007")->isChecked());
        EXPECT_FALSE(window.ConnExcel.connected());
        EXPECT_FALSE(window.atTable.active());
        EXPECT_EQ(window.atTable.tableName(), QStringLiteral("[sheet1$]"));
    }
    // The radio buttons form one group.
    child<QRadioButton>("rb2007")->click();
    EXPECT_FALSE(child<QRadioButton>("rb2003")->isChecked());
    child<QRadioButton>("rb2003")->click();
    EXPECT_FALSE(child<QRadioButton>("rb2007")->isChecked());
}

TEST_F(WindowLayout, TabOrder)
{
    const QStringList expected{"rb2003",       "rb2007",  "btnDelete", "Button1",  "Button2", "btn1",
                               "cbTableName", "btnOpenTable", "btnExec", "cbbTable", "gdTable"};
    QStringList order;
    QWidget* start = child("rb2003");
    QWidget* w = start;
    do {
        if (expected.contains(w->objectName()) && !order.contains(w->objectName()))
            order.append(w->objectName());
        w = w->nextInFocusChain();
    } while (w != start);
    EXPECT_EQ(order, expected);
    for (const char* tool : {"BtnOpen", "BtnSave", "BtnView", "BtnExit"})
        EXPECT_FALSE(child(tool)->focusPolicy() & Qt::TabFocus) << tool;
}

TEST(FontSubstitution, WindowsFacesMapToInstalledFaces)
{
    const std::pair<const char*, const char*> faces[] = {
        {"宋体", "AR PL UMing CN"}, {"SimSun", "AR PL UMing CN"}, {"MS Sans Serif", "DejaVu Sans"}};
    for (const auto& [asked, got] : faces)
        EXPECT_EQ(QFontInfo(QFont(QString::fromUtf8(asked))).family(), QString::fromUtf8(got)) << asked;
    // Chinese text in the sans face comes from the CJK fallback, not as empty boxes.
    QFont sans(QStringLiteral("MS Sans Serif"));
    EXPECT_TRUE(QFont::substitutes(QStringLiteral("MS Sans Serif"))
                    .contains(QStringLiteral("WenQuanYi Micro Hei"), Qt::CaseInsensitive));
    EXPECT_TRUE(QFontMetrics(QFont(QStringLiteral("WenQuanYi Micro Hei"))).inFont(QChar(0x6570)));
    EXPECT_TRUE(QFontMetrics(QFont(QStringLiteral("宋体"))).inFont(QChar(0x6570)));
}

TEST_F(WindowLayout, ExitAndCloseBoxCloseTheWindowAndTheSheetTable)
{
    window.show();
    QApplication::processEvents();
    child<QToolButton>("BtnExit")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.atTable.active());
}

} // namespace
