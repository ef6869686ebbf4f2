#!/usr/bin/python3
"""The spreadsheet reader's oracle:  make_oracle_sheets.py FOLDER
Writes a sheet of a few hundred cells (texts in many scripts, long text, numbers under many formats, dates, times,
booleans, formulas) with python3-openpyxl, has LibreOffice open it, calculate it and save it as oracle.xlsx,
oracle.xls and oracle.ods, and render it as its cells show ("as shown" CSV). Writes oracle.tsv: one line per cell,
"A1<TAB>kind<TAB>text as LibreOffice shows it". kind "general" marks a number in the General format, which
LibreOffice writes with all its digits where a column of the default width shows eleven characters; the test
leaves those out."""
import csv
import datetime
import os
import random
import sys

import openpyxl

import office

TEXTS = ["Zoë", "Ångström", "O'NEIL", "SMITH, JR", "中文名", "İSTANBUL", "ΑΘΗΝΑ", "Nguyễn Văn", "al-Rashīd",
         "Łukasz", "Ñúñez", "x" * 300, "tab\u00a0space", "1/2/1960", "00012", "TRUE"]
NUMBER_FORMATS = ["0", "0.00", "#,##0", "#,##0.00", "0%", "0.00%", "0.00E+00", "00000000", "0.000",
                  "#,##0.00;(#,##0.00)", '"ID"0', "000-00-0000", "0.0", "#,##0;-#,##0;\"zero\"", "0.0#"]
DATE_FORMATS = ["m/d/yyyy", "dd-mmm-yyyy", "d-mmm-yy", "mm/dd/yy", "mmmm d, yyyy", "yyyy-mm-dd", "mmm-yy",
                "dddd", "d/m/yyyy", "ddd dd mmm yyyy"]
TIME_FORMATS = ["h:mm AM/PM", "h:mm:ss", "hh:mm", "[h]:mm:ss", "mm:ss", "m/d/yyyy h:mm", "h:mm:ss AM/PM"]
FORMULAS = [('=UPPER("rossi")', None), ('="X"&TEXT(42,"000")', None), ("=1=1", None), ("=1=2", None),
            ("=DATE(1960,1,2)", "m/d/yyyy"), ("=2/3", "0.00"), ('=LOWER("ZOË")', None), ("=ROUND(2.675,2)", "0.00"),
            ('=CONCATENATE("PB","4400123")', None), ("=10^12", "#,##0")]

def cells(rng):
    """(value, number format, kind) for 120 rows of four cells."""
    made = []
    for n in range(480):
        pick = n % 6
        if pick == 0:
            made.append((TEXTS[n // 6 % len(TEXTS)], None, "text"))
        elif pick == 1:
            magnitude = rng.choice([1, 10, 1000, 1e6, 0.01])
            value = round(rng.uniform(-1, 1) * magnitude, rng.choice([0, 2, 4]))
            made.append((value, NUMBER_FORMATS[n // 6 % len(NUMBER_FORMATS)], "number"))
        elif pick == 2:
            day = datetime.datetime(1900, 3, 1) + datetime.timedelta(days=rng.randrange(0, 47000))
            made.append((day, DATE_FORMATS[n // 6 % len(DATE_FORMATS)], "date"))
        elif pick == 3:
            moment = datetime.datetime(1950, 1, 1) + datetime.timedelta(seconds=rng.randrange(0, 86400 * 30000))
            made.append((moment, TIME_FORMATS[n // 6 % len(TIME_FORMATS)], "time"))
        elif pick == 4:
            if n // 6 % 3 == 0:
                made.append((rng.choice([True, False]), None, "boolean"))
            else:
                made.append((rng.choice([4400123, 0.25, 12, 1234.5, -7]), None, "general"))
        else:
            formula, fmt = FORMULAS[n // 6 % len(FORMULAS)]
            made.append((formula, fmt, "formula"))
    return made


def main():
    folder = sys.argv[1]
    written = os.path.join(folder, "written")
    os.makedirs(written, exist_ok=True)
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Oracle"
    made = cells(random.Random(7))
    kinds = {}
    for n, (value, fmt, kind) in enumerate(made):
        cell = sheet.cell(row=n // 4 + 1, column=n % 4 + 1)
        cell.value = value
        if fmt:
            cell.number_format = fmt
        kinds[cell.coordinate] = kind
    source = os.path.join(written, "oracle.xlsx")
    book.save(source)

    office.convert(["xlsx:Calc MS Excel 2007 XML", "xls:MS Excel 97", "ods:calc8",
                    "csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,false,true,false,false"], [source], folder)

    with open(os.path.join(folder, "oracle.csv"), encoding="utf-8", newline="") as f:
        shown = list(csv.reader(f))
    with open(os.path.join(folder, "oracle.tsv"), "w", encoding="utf-8") as out:
        for r, row in enumerate(shown):
            for c, text in enumerate(row[:4]):
                reference = "%s%d" % ("ABCD"[c], r + 1)
                if reference in kinds:
                    out.write("%s\t%s\t%s\n" % (reference, kinds[reference], text))


if __name__ == "__main__":
    main()
