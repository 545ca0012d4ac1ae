// "数据筛选": the filter dialog sets the record filter that the grid and the table then honour.
#include "app/filter_dialog.h"
#include "sheet_fixture.h"
#include "tests/support/qt_printers.h"

#include <QLineEdit>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>

namespace {

const QString goods = QStringLiteral(R"([["Name","Price"],["pear",5],["apple",3],["apricot",9]])");

QAbstractButton* buttonNamed(QWidget* dialog, const QString& text)
{
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

// Sets one field's value and match kind in the dialog, then presses a button.
ModalScript::Answer criterion(QString field, QString value, QString match, QString press = "确定")
{
    return [=](QWidget* dialog) {
        auto* list = dialog->findChild<QListWidget*>();
        const auto items = list->findItems(field, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        list->setCurrentItem(items.first());
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>())
            if (edit->toolTip() == QStringLiteral("输入字段的查询值"))
                edit->setText(value);
        buttonNamed(dialog, match)->click();
        buttonNamed(dialog, press)->click();
    };
}

using FilterDialogTest = SheetWindow;

TEST_F(FilterDialogTest, SetsTheFilterTheGridShowsAndAnEmptySetRemovesIt)
{
    const QString path = writeXlsx("filter.xlsx", {"Goods"}, goods);
    openWorkbook(path, true);
    struct Case {
        QString field, value, match;
        QString filter;
        QStringList names;
    };
    const Case cases[] = {
        {"Name", "ap", "开始部位的匹配", "[Name] LIKE 'ap%'", {"apple", "apricot"}},
        {"Name", "r", "任意部位的匹配", "[Name] LIKE '%r%'", {"pear", "apricot"}},
        {"Name", "pear", "精确的匹配", "[Name] = 'pear'", {"pear"}},
        {"Name", ">b", "开始部位的匹配", "[Name] > 'b'", {"pear"}},
    };
    for (const Case& c : cases) {
        ModalScript script;
        script.then(criterion(c.field, c.value, c.match));
        click("BtnView");
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.seen().at(0).title, QStringLiteral("查询"));
        EXPECT_EQ(window.atTable.filter(), c.filter);
        EXPECT_TRUE(window.atTable.filtered());
        EXPECT_EQ(gridColumn(0), c.names);
        EXPECT_EQ(window.atTable.recordCount(), c.names.size());
    }

    // "新的过滤" clears every criterion; OK with none removes the filter.
    {
        ModalScript script;
        script.then([](QWidget* dialog) {
            buttonNamed(dialog, "新的过滤")->click();
            buttonNamed(dialog, "确定")->click();
        });
        click("BtnView");
        EXPECT_EQ(gridColumn(0), QStringList({"pear", "apple", "apricot"}));
        EXPECT_FALSE(window.atTable.filtered());
    }
    // With no filter and no criteria, OK says so and the dialog stays open.
    {
        ModalScript script;
        script.then([](QWidget* dialog) {
            buttonNamed(dialog, "确定")->click();
            EXPECT_TRUE(dialog->isVisible());
            buttonNamed(dialog, "取消")->click();
        });
        script.then(ModalScript::press(QMessageBox::Ok));
        click("BtnView");
        ASSERT_EQ(script.seen().size(), 2u);
        EXPECT_EQ(script.seen()[1].text, QStringLiteral("你没有选择任何查找标准。"));
    }
}

TEST_F(FilterDialogTest, OpeningTheSheetAgainShowsAllRowsAndForgetsTheCriteria)
{
    const QString path = writeXlsx("again.xlsx", {"Goods"}, goods);
    openWorkbook(path, true);
    {
        ModalScript script;
        script.then(criterion("Name", "ap", "开始部位的匹配"));
        click("BtnView");
    }
    ASSERT_EQ(gridColumn(0).size(), 2);
    auto* dialog = child<FilterDialog>("FilterDialog1");
    EXPECT_EQ(dialog->criteria().size(), 1u);
    click("btnOpenTable");
    EXPECT_EQ(gridColumn(0), QStringList({"pear", "apple", "apricot"}));
    EXPECT_TRUE(window.atTable.filter().isEmpty());
    EXPECT_TRUE(dialog->criteria().empty());
}

TEST_F(FilterDialogTest, CarriesTheTextsOfTheLocalisation)
{
    const QString path = writeXlsx("texts.xlsx", {"Goods"}, goods);
    openWorkbook(path, true);
    QStringList texts;
    ModalScript script;
    script.then([&](QWidget* dialog) {
        for (QWidget* w : dialog->findChildren<QWidget*>()) {
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                texts << b->text();
            if (auto* l = qobject_cast<QLabel*>(w))
                texts << l->text();
            if (auto* g = qobject_cast<QGroupBox*>(w))
                texts << g->title();
            if (auto* t = qobject_cast<QTabWidget*>(w))
                for (int i = 0; i < t->count(); ++i)
                    texts << t->tabText(i);
            if (auto* t = qobject_cast<QTabBar*>(w))
                for (int i = 0; i < t->count(); ++i)
                    texts << t->tabText(i);
            if (!w->toolTip().isEmpty())
                texts << w->toolTip();
        }
        qobject_cast<QDialog*>(dialog)->reject();
    });
    click("BtnView");
    for (const char* text :
         {"显示过滤条件", "显示当前过滤条件", "新的过滤", "开始一个新的过滤", "字段排序", "字段列表按字母或物理逻辑顺序排序",
          "照字母次序", "逻辑", "全部", "过滤", "开始范围", "输入范围", "输入字段的开始范围", "输入字段的结止值", "清除",
          "清除字段的结止范围", "清除字段的起始范围", "清除当前查询字段值", "数值", "范围", "字段值", "输入字段的查询值",
          "查询类型", "指定被比较字段值", "精确的匹配", "开始部位的匹配", "任意部位的匹配", "区分大小写", "区分大小写查找",
          "没有匹配的记录", "显示与匹配值不相匹配的记录", "字段", "以指定范围或值对字段过滤", "显示所有字段或当前查询字段",
          "确定", "取消"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
}

} // namespace
