"""Opens an .xls file with xlrd and reads every cell of its first sheet; prints the seconds taken.

usage: xlrd_read.py PATH
"""
import sys
import time

import xlrd

start = time.perf_counter()
book = xlrd.open_workbook(sys.argv[1])
sheet = book.sheet_by_index(0)
count = 0
for r in range(sheet.nrows):
    for v in sheet.row_values(r):
        count += 1
print("%.4f" % (time.perf_counter() - start))
