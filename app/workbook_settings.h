#pragma once

#include <QString>

// The workbook connection settings of the window's module: the file chosen last and the
// values the "Office 2003" connection string carries. Set by the open command.
inline QString ExcelFileName;
inline QString ExcelPassword;
inline QString ExcelUserID;
inline QString ExcelDbPassword;
inline QString ExcelNewDbPassword;
