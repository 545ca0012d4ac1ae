"""Writes the workbook the import tests read: write_workbook.py SPEC.json OUT.xlsx.

SPEC is a list of sheets, each {"name": ..., "rows": [[cell, ...], ...]}; a cell is text, a number
or null (left empty). Written by openpyxl so that the tests read a file made by another program."""
import json
import sys

from openpyxl import Workbook

spec_path, out_path = sys.argv[1], sys.argv[2]
with open(spec_path, encoding="utf-8") as f:
    sheets = json.load(f)
book = Workbook()
book.remove(book.active)
for sheet in sheets:
    ws = book.create_sheet(sheet["name"])
    for r, row in enumerate(sheet["rows"], start=1):
        for c, value in enumerate(row, start=1):
            if value is not None:
                ws.cell(row=r, column=c, value=value)
book.save(out_path)
