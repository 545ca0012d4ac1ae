"""Times openpyxl (read-only mode) opening the file and reading every cell; prints seconds."""
import sys
import time

import openpyxl

start = time.perf_counter()
wb = openpyxl.load_workbook(sys.argv[1], read_only=True, data_only=True)
cells = 0
for row in wb.worksheets[0].iter_rows(values_only=True):
    cells += len(row)
wb.close()
print("%.3f %d" % (time.perf_counter() - start, cells))
