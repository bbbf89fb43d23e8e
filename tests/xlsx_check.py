#!/usr/bin/python3
"""Reads a workbook with openpyxl and prints its sheet's name, frozen cell,
autofilter, whether every heading is bold and the creation time; then each
row, a cell per tab, as the type and value that openpyxl finds.

Usage: /usr/bin/python3 xlsx_check.py FILE.xlsx
"""
import sys

import openpyxl


def main():
    workbook = openpyxl.load_workbook(sys.argv[1])
    sheet = workbook.active
    bold = all(cell.font.b for cell in sheet[1])
    print(f"{sheet.title}\t{sheet.freeze_panes}\t{sheet.auto_filter.ref}\t"
          f"{'bold' if bold else 'not bold'}\t{workbook.properties.created}")
    for row in sheet.iter_rows():
        print("\t".join("" if cell.value is None else f"{type(cell.value).__name__} {cell.value}"
                        for cell in row))


if __name__ == "__main__":
    main()
