// The sheet in the grid: sort, save, append, delete, the grid's keys, written into real files.
#include "sheet_fixture.h"
#include "tests/support/business_database.h"
#include "tests/support/qt_printers.h"

#include <QLineEdit>
#include <QTest>

namespace {

const QString goods = QStringLiteral(R"([["Name","Price"],["pear",5],["apple",3],["fig",9]])");

using SheetEditing = SheetWindow;

TEST_F(SheetEditing, TitleClicksToggleTheSortText)
{
    const QString path = writeXlsx("sort.xlsx", {"Goods"}, goods);
    openWorkbook(path, true);
    struct Step {
        int column;
        QString sort;
        QString firstName;
    };
    const Step steps[] = {
        {0, "Name ASC", "apple"}, {0, "Name DESC", "pear"}, {0, "Name ASC", "apple"},
        {0, "Name DESC", "pear"}, {1, "Price ASC", "apple"}, {1, "Price DESC", "fig"},
    };
    for (const Step& s : steps) {
        clickTitle(s.column);
        EXPECT_EQ(window.atTable.sort(), s.sort);
        EXPECT_EQ(gridColumn(0).value(0), s.firstName) << s.sort.toStdString();
    }
    // A new open starts with no sort.
    click("btnOpenTable");
    EXPECT_TRUE(window.atTable.sort().isEmpty());
    EXPECT_EQ(gridColumn(0), QStringList({"pear", "apple", "fig"}));
}

TEST_F(SheetEditing, ABlankInTheFieldNameGoesIntoTheSortTextUnprotected)
{
    const QString path = writeXlsx("blank.xlsx", {"Goods"}, R"([["Unit Price"],[2],[1]])");
    openWorkbook(path, true);
    ModalScript script; // a refusal by the sort would show up here
    clickTitle(0);
    EXPECT_EQ(script.seen().size(), 0u);
    EXPECT_EQ(window.atTable.sort(), QStringLiteral("Unit Price ASC"));
}

TEST_F(SheetEditing, SaveAppendAndDeleteAreWrittenIntoTheWorkbook)
{
    const QString path = writeXlsx("edit.xlsx", {"Goods"}, goods);
    openWorkbook(path, true);

    // Enter on the last cell leaves the row, which posts it.
    typeInto(1, 1, "7");
    EXPECT_EQ(window.atTable.state(), data::DatasetState::Browse);
    EXPECT_EQ(window.atTable.recNo(), 3);
    click("BtnSave");
    EXPECT_EQ(window.atTable.recNo(), 2);
    EXPECT_EQ(readXlsx(path, "Goods"), QStringList({"Name|Price", "pear|5", "apple|7", "fig|9"}));

    click("BtnInsertRecord");
    EXPECT_EQ(grid()->model()->rowCount(), 4);
    typeInto(3, 0, "kiwi");
    typeInto(3, 1, "4");
    click("BtnSave");
    // Saved on the last row, the cursor stands one row higher.
    EXPECT_EQ(window.atTable.recNo(), 3);
    EXPECT_EQ(readXlsx(path, "Goods"), QStringList({"Name|Price", "pear|5", "apple|7", "fig|9", "kiwi|4"}));

    {
        ModalScript script; // "删除记录" asks nothing
        grid()->setCurrentIndex(grid()->model()->index(0, 0));
        click("BtnDeleteRecord");
        EXPECT_TRUE(script.seen().empty());
    }
    EXPECT_EQ(readXlsx(path, "Goods"), QStringList({"Name|Price", "apple|7", "fig|9", "kiwi|4"}));

    // Ctrl+Delete asks the grid's question first and deletes only on OK.
    for (auto [answer, expected] :
         {std::pair{QMessageBox::Cancel, QStringList({"Name|Price", "apple|7", "fig|9", "kiwi|4"})},
          std::pair{QMessageBox::Ok, QStringList({"Name|Price", "apple|7", "kiwi|4"})}}) {
        ModalScript script;
        script.then(ModalScript::press(answer));
        grid()->setFocus();
        grid()->setCurrentIndex(grid()->model()->index(1, 0));
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(script.seen()[0].text, QStringLiteral("Delete record?"));
        EXPECT_EQ(script.seen()[0].icon, QMessageBox::Question);
        EXPECT_EQ(readXlsx(path, "Goods"), expected);
    }
}

TEST_F(SheetEditing, AnEditNotPostedIsDroppedWhenTheWindowCloses)
{
    const QString path = writeXlsx("close.xlsx", {"Goods"}, goods);
    openWorkbook(path, true);
    // Enter moves to the next cell of the same row: the row stays in edit.
    typeInto(0, 0, "plum");
    EXPECT_EQ(window.atTable.state(), data::DatasetState::Edit);
    EXPECT_EQ(grid()->model()->index(0, 0).data().toString(), QStringLiteral("plum"));
    window.close();
    EXPECT_FALSE(window.atTable.active());
    EXPECT_EQ(readXlsx(path, "Goods"), QStringList({"Name|Price", "pear|5", "apple|3", "fig|9"}));
}

// The grid's keys, over a sheet table on a real SQLite file.
class GridKeys : public SheetWindow {
protected:
    GridKeys() : db(QStringLiteral("sqlite"))
    {
        db.exec(QStringLiteral("CREATE TABLE Goods(Name TEXT, Price REAL);"
                               "INSERT INTO Goods VALUES('pear', 5);INSERT INTO Goods VALUES('apple', 3)"));
    }

    void openTable(const QStringList& names)
    {
        window.ConnExcel.setConnectionString(db.connectionString());
        window.ConnExcel.connect();
        auto* list = child<QComboBox>("cbTableName");
        list->clear();
        list->addItems(names);
        list->setCurrentIndex(0);
        child("btnOpenTable")->setEnabled(true);
        click("btnOpenTable");
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(grid(), k, m); }
    int rows() { return grid()->model()->rowCount(); }

    testsupport::BusinessDatabase db;
};

TEST_F(GridKeys, EnterMovesLikeTabAndDownOnTheLastRowAppends)
{
    openTable({"Goods"});
    grid()->setFocus();
    grid()->setCurrentIndex(grid()->model()->index(0, 0));
    key(Qt::Key_Return);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(0, 1));
    key(Qt::Key_Return);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(1, 0));
    EXPECT_EQ(window.atTable.recNo(), 2); // the table's current row is the grid's

    key(Qt::Key_Down);
    EXPECT_EQ(window.atTable.state(), data::DatasetState::Insert);
    EXPECT_EQ(rows(), 3);
    key(Qt::Key_Down); // an untouched new row takes no second one
    EXPECT_EQ(rows(), 3);
    key(Qt::Key_Up); // leaving it drops it
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(window.atTable.state(), data::DatasetState::Browse);

    key(Qt::Key_Insert);
    EXPECT_EQ(window.atTable.state(), data::DatasetState::Insert);
    // The focus moving to another control drops the untouched new row.
    child("cbTableName")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(db.column("SELECT Name FROM Goods ORDER BY rowid"), QStringList({"pear", "apple"}));
}

TEST_F(GridKeys, AppendTwiceLeavesOneNewRowAndDeleteDropsItUnwritten)
{
    openTable({"Goods"});
    click("BtnInsertRecord");
    click("BtnInsertRecord");
    EXPECT_EQ(rows(), 3);
    click("BtnDeleteRecord");
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(window.atTable.state(), data::DatasetState::Browse);
    EXPECT_EQ(db.column("SELECT Name FROM Goods ORDER BY rowid"), QStringList({"pear", "apple"}));

    // A typed new row is posted by the next append.
    click("BtnInsertRecord");
    typeInto(2, 0, "kiwi");
    click("BtnInsertRecord");
    EXPECT_EQ(db.column("SELECT Name FROM Goods ORDER BY rowid"), QStringList({"pear", "apple", "kiwi"}));
}

TEST_F(GridKeys, ANameWithDollarUnderscoreIsNeverOpened)
{
    db.exec(QStringLiteral("CREATE TABLE \"Goods$_FilterDatabase\"(X TEXT)"));
    openTable({"Goods"});
    auto* list = child<QComboBox>("cbTableName");
    list->addItem(QStringLiteral("Goods$_FilterDatabase"));
    list->setCurrentIndex(1);
    ModalScript script;
    click("btnOpenTable");
    EXPECT_TRUE(script.seen().empty());
    EXPECT_EQ(window.atTable.tableName(), QStringLiteral("[Goods]"));
    EXPECT_TRUE(window.atTable.active());
    EXPECT_EQ(gridColumn(0), QStringList({"pear", "apple"}));
}

TEST_F(GridKeys, ASheetThatCannotBeOpenedIsShownAndLeavesTheGridHidden)
{
    ModalScript script;
    script.then(ModalScript::press(QMessageBox::Ok));
    openTable({"NoSuchTable"});
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(script.seen()[0].title, QCoreApplication::applicationName());
    EXPECT_FALSE(window.atTable.active());
    EXPECT_TRUE(grid()->isHidden());
    EXPECT_FALSE(child("BtnSave")->isEnabled());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(GridKeys, ColumnsAreFittedByTheRowsTheGridShows)
{
    db.exec(QStringLiteral("DELETE FROM Goods"));
    for (int i = 0; i < 200; ++i)
        db.exec(QStringLiteral("INSERT INTO Goods VALUES('%1', %2)")
                    .arg(i == 150 ? QString(60, QLatin1Char('W')) : QStringLiteral("ab"))
                    .arg(i));
    openTable({"Goods"});
    const QFontMetrics metrics(grid()->font());
    const int zero = metrics.horizontalAdvance(QLatin1Char('0'));
    const int shortText = metrics.horizontalAdvance(QStringLiteral("ab"));
    // The far row with the long name is not measured: the column fits "ab".
    EXPECT_GE(grid()->columnWidth(0), (shortText + 4) / zero * zero);
    EXPECT_LT(grid()->columnWidth(0), shortText + 4 + zero + 8);
    EXPECT_LT(grid()->rowAt(grid()->viewport()->height() - 1), 150);
}

} // namespace
