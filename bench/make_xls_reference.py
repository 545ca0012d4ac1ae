"""Writes the .xls reference sheet of the benchmarks with xlwt: 60,000 rows x 10 columns of
mixed text, numbers and dates under a header row.

usage: make_xls_reference.py PATH
"""
import datetime
import sys

import xlwt

ROWS = 60000


def main(path):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Sheet1")
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    header = ["GoodsNO", "Name", "Spec", "Unit", "Price", "Qty", "Amount", "Born", "Customer", "Note"]
    for c, h in enumerate(header):
        ws.write(0, c, h)
    start = datetime.date(2020, 1, 1)
    for r in range(1, ROWS + 1):
        ws.write(r, 0, "G%06d" % r)
        ws.write(r, 1, "商品%d" % (r % 5000))
        ws.write(r, 2, "规格-%d" % (r % 97))
        ws.write(r, 3, "件")
        ws.write(r, 4, (r % 1000) * 0.25)
        ws.write(r, 5, r % 300)
        ws.write(r, 6, r * 1.5)
        ws.write(r, 7, start + datetime.timedelta(days=r % 2000), date_style)
        ws.write(r, 8, "C%05d" % (r % 20000))
        ws.write(r, 9, "备注 %d" % r)
    wb.save(path)


if __name__ == "__main__":
    main(sys.argv[1])
