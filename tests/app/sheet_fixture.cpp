#include "sheet_fixture.h"

#include <QLineEdit>
#include <QTest>

void SheetWindow::typeInto(int row, int column, const QString& text)
{
    QTableView* view = grid();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    view->setFocus();
    view->setCurrentIndex(view->model()->index(row, column));
    QTest::keyClick(view, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(view->currentIndex()));
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}

void SheetWindow::clickTitle(int column)
{
    QHeaderView* header = grid()->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}
