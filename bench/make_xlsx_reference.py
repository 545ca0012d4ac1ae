"""Writes the .xlsx reference sheet: 100,000 rows x 10 columns of text, numbers and dates.

usage: make_xlsx_reference.py PATH
"""
import datetime
import sys

import openpyxl
from openpyxl.cell import WriteOnlyCell

ROWS = 100_000


def main(path):
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet("Sheet1")
    ws.append(["GoodsNO", "Name", "Spec", "Unit", "Price", "Qty", "Amount", "Made", "Checked", "Note"])
    base = datetime.datetime(2020, 1, 1)
    for i in range(ROWS):
        made = WriteOnlyCell(ws, value=base + datetime.timedelta(days=i % 1500))
        made.number_format = "yyyy-mm-dd"
        checked = WriteOnlyCell(ws, value=base + datetime.timedelta(days=i % 900, minutes=i % 1440))
        checked.number_format = "yyyy-mm-dd hh:mm:ss"
        ws.append([
            "G%07d" % i, "商品%d" % (i % 5000), "规格-%d" % (i % 37), ["个", "箱", "千克"][i % 3],
            round(1 + (i % 997) * 0.37, 2), i % 250, round((i % 250) * (1 + (i % 997) * 0.37), 2),
            made, checked, "备注 %d" % i if i % 4 == 0 else None,
        ])
    wb.save(path)


if __name__ == "__main__":
    main(sys.argv[1])
