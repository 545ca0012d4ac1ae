#pragma once

#include "app/frm_excel.h"
#include "modal_script.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

// A shown window with helpers to reach its controls, open workbooks through the real dialog
// and read the files back with another program.
class SheetWindow : public ::testing::Test {
protected:
    SheetWindow()
    {
        window.show();
        QApplication::processEvents();
    }

    template <class T = QWidget>
    T* child(const QString& name)
    {
        T* w = window.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QTableView* grid() { return child<QTableView>(QStringLiteral("gdTable")); }
    void click(const char* button) { child<QAbstractButton>(QString::fromLatin1(button))->click(); }

    // Runs python with a script and arguments; returns its output.
    static QString python(const QString& script, const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(VARNELO_PYTHON), QStringList{QStringLiteral("-c"), script} + args);
        p.waitForFinished(60000);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // An .xlsx written by openpyxl: one sheet per name, rows as JSON arrays.
    QString writeXlsx(const QString& fileName, const QStringList& sheets, const QString& rowsJson)
    {
        const QString path = dir.filePath(fileName);
        python(QStringLiteral("import sys, json, openpyxl\n"
                              "wb = openpyxl.Workbook(); wb.remove(wb.active)\n"
                              "for name in sys.argv[2].split(','):\n"
                              "    ws = wb.create_sheet(name)\n"
                              "    for row in json.loads(sys.argv[3]): ws.append(row)\n"
                              "wb.save(sys.argv[1])\n"),
               {path, sheets.join(QLatin1Char(',')), rowsJson});
        return path;
    }

    // The rows of a sheet as openpyxl reads them: cells joined by '|', None as empty.
    QStringList readXlsx(const QString& path, const QString& sheet)
    {
        const QString out = python(QStringLiteral("import sys, openpyxl\n"
                                                  "ws = openpyxl.load_workbook(sys.argv[1])[sys.argv[2]]\n"
                                                  "for row in ws.iter_rows(values_only=True):\n"
                                                  "    print('|'.join('' if v is None else str(v) for v in row))\n"),
                                   {path, sheet});
        return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // "打开Excel" with the file chosen in the real dialog; further answers for boxes that follow.
    void openWorkbook(const QString& path, bool office2007, std::vector<ModalScript::Answer> more = {})
    {
        child<QRadioButton>(office2007 ? QStringLiteral("rb2007") : QStringLiteral("rb2003"))->click();
        ModalScript script;
        script.then(ModalScript::chooseFile(path));
        for (auto& a : more)
            script.then(std::move(a));
        click("BtnOpen");
        EXPECT_TRUE(script.done()) << script.seen().size() << " boxes seen";
        EXPECT_EQ(script.unexpected(), 0);
        lastSeen = script.seen();
    }

    QStringList gridColumn(int column)
    {
        QStringList values;
        for (int row = 0; row < grid()->model()->rowCount(); ++row)
            values.append(grid()->model()->index(row, column).data().toString());
        return values;
    }

    // Types a text into a cell and presses Enter, as a user does.
    void typeInto(int row, int column, const QString& text);
    void clickTitle(int column);

    QTemporaryDir dir;
    Tfrm_Excel window;
    std::vector<ModalScript::Seen> lastSeen;
};
