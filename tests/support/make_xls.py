#!/usr/bin/python3
"""Writes the spreadsheets the import tests read (Debian's python3-xlwt):
  make_xls.py KIND PATH [ROWS]
KIND: names (ROWS rows of four columns, with dates, numbers and non-ASCII names), examples (people of whom some
are on the example lists)."""
import datetime
import sys

import xlwt


def main():
    kind, path = sys.argv[1], sys.argv[2]
    rows = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Names")
    dates = xlwt.easyxf(num_format_str="M/D/YYYY")
    if kind == "examples":
        people = [("QUILLFEATHER", "ARNO BEDE", "3/14/1971", ""), ("OKAFOR", "ADA", "5/5/1985", "N1200345"),
                  ("MARROWBY", "CELESTE", "11/2/1984", ""), ("LINDQVIST", "BRITA", "9/9/1979", ""),
                  ("TANGLEWOOD", "DUNSTAN ELIOT", "", "KV9912345"), ("PEMBERLEAF", "ORSOLYA", "7/30/1990", ""),
                  ("SMITH", "JOHN", "1/2/1960", "X1234567"), ("ROSSI", "MARCO", "2/12/1992", "")]
        for r, person in enumerate(people):
            for c, text in enumerate(person):
                sheet.write(r, c, text)
        book.save(path)
        return
    for r in range(rows):
        n = r + 1
        sheet.write(r, 0, "Ångström%d" % n if n % 2 else "SMITH%d" % n)
        sheet.write(r, 1, "Zoë" if n == 1 else "JOHN")
        sheet.write(r, 2, datetime.date(1970, 1, 1) + datetime.timedelta(days=n), dates)
        sheet.write(r, 3, 1000 + n if n % 3 else 12.5)
    # A sheet after the first is never read.
    book.add_sheet("Other").write(0, 0, "not imported")
    book.save(path)


if __name__ == "__main__":
    main()
