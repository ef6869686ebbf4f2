#!/usr/bin/python3
"""Writes the same workbook as .xls (python3-xlwt), .xlsx (python3-openpyxl) and .ods (its XML written here):
  make_sheets.py FOLDER          crew.xls, crew.xlsx, crew.ods
  make_sheets.py FOLDER ROWS     people<ROWS>.xls/.xlsx/.ods/.csv: ROWS people, the crew's cells repeated (for
                                 the benchmark)
Three sheets: "Hidden" (hidden), "Old" and "Crew"; "Crew", the third, is the active one. Its cells hold
formulas, number formats, dates and booleans, whose displayed texts the tests write out by hand. As a script
writes them, formulas have no stored result in .xls and .xlsx; those files stay in FOLDER/written/, and
LibreOffice opens and saves each into FOLDER, as an operator's spreadsheet program would, results included."""
import datetime
import os
import shutil
import sys
import zipfile

import office

# (kind, value, number format): kind is "text", "number", "date", "bool" or "formula".
CREW = [
    [("formula", 'UPPER("rossi")', None), ("text", "marco", None), ("date", datetime.date(1960, 1, 2), "DD-MMM-YYYY"),
     ("number", 1234567, "00000000")],
    [("bool", True, None), ("number", 0.333333333333333, None), ("number", 123456789012, None),
     ("number", 0.125, "0.00%")],
    [("formula", '"X"&TEXT(42,"000")', None), ("number", 1234567.891, "#,##0.00"), ("number", 4400123, None),
     ("number", 12.5, "0.000")],
    [("bool", False, None), ("date", datetime.date(1984, 11, 2), "M/D/YYYY"), ("formula", '"PB"&"4400123"', None),
     ("formula", 'LOWER("ZOË")', None)],
]
# What each formula gives, for the .ods file's stored results.
RESULTS = {'UPPER("rossi")': ("string", "ROSSI"), '"X"&TEXT(42,"000")': ("string", "X042"),
           '"PB"&"4400123"': ("string", "PB4400123"), 'LOWER("ZOË")': ("string", "zoë")}


def write_xls(path, rows):
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    hidden = book.add_sheet("Hidden")
    hidden.write(0, 0, "HIDDEN SHEET")
    hidden.visibility = 1
    book.add_sheet("Old").write(0, 0, "OLD SHEET")
    crew = book.add_sheet("Crew")
    for r, row in enumerate(rows):
        for c, (kind, value, fmt) in enumerate(row):
            style = xlwt.easyxf(num_format_str=fmt) if fmt else xlwt.Style.default_style
            if kind == "formula":
                crew.write(r, c, xlwt.Formula(value), style)
            elif kind == "date":
                crew.write(r, c, datetime.datetime.combine(value, datetime.time()), style)
            else:
                crew.write(r, c, value, style)
    crew.set_selected(True)
    book.set_active_sheet(2)
    book.save(path)


def write_xlsx(path, rows):
    import openpyxl
    book = openpyxl.Workbook()
    hidden = book.active
    hidden.title = "Hidden"
    hidden["A1"] = "HIDDEN SHEET"
    hidden.sheet_state = "hidden"
    book.create_sheet("Old")["A1"] = "OLD SHEET"
    crew = book.create_sheet("Crew")
    for r, row in enumerate(rows):
        for c, (kind, value, fmt) in enumerate(row):
            cell = crew.cell(row=r + 1, column=c + 1)
            cell.value = "=" + value if kind == "formula" else value
            if fmt:
                cell.number_format = fmt.lower() if kind == "date" else fmt
    book.active = 2
    for sheet in book.worksheets:
        sheet.sheet_view.tabSelected = sheet.title == "Crew"
    book.save(path)


ODS_STYLES = """<number:number-style style:name="N8"><number:number number:decimal-places="0"
 number:min-integer-digits="8"/></number:number-style>
<number:date-style style:name="NDMY"><number:day number:style="long"/><number:text>-</number:text><number:month
 number:textual="true"/><number:text>-</number:text><number:year number:style="long"/></number:date-style>
<number:date-style style:name="NMDY"><number:month/><number:text>/</number:text><number:day/><number:text>/</number:text>
<number:year number:style="long"/></number:date-style>
<number:percentage-style style:name="NP"><number:number number:decimal-places="2" number:min-integer-digits="1"/>
<number:text>%</number:text></number:percentage-style>
<number:number-style style:name="NG"><number:number number:decimal-places="2" number:min-integer-digits="1"
 number:grouping="true"/></number:number-style>
<number:number-style style:name="N3"><number:number number:decimal-places="3"
 number:min-integer-digits="1"/></number:number-style>
<number:boolean-style style:name="NB"><number:boolean/></number:boolean-style>
<style:style style:name="cNB" style:family="table-cell" style:data-style-name="NB"/>
<style:style style:name="ta1" style:family="table"><style:table-properties table:display="true"/></style:style>
<style:style style:name="ta2" style:family="table"><style:table-properties table:display="false"/></style:style>
"""
ODS_FORMATS = {"00000000": "N8", "DD-MMM-YYYY": "NDMY", "M/D/YYYY": "NMDY", "0.00%": "NP", "#,##0.00": "NG",
               "0.000": "N3"}


def ods_cell(kind, value, fmt):
    from xml.sax.saxutils import escape, quoteattr
    style = ' table:style-name="c%s"' % ODS_FORMATS[fmt] if fmt else ""
    if kind == "text":
        return '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' % escape(value)
    if kind == "bool":
        return ('<table:table-cell table:style-name="cNB" office:value-type="boolean" office:boolean-value="%s">'
                '<text:p>%s</text:p>'
                '</table:table-cell>' % (str(value).lower(), str(value).upper()))
    if kind == "date":
        return ('<table:table-cell%s office:value-type="date" office:date-value="%s"><text:p/></table:table-cell>'
                % (style, value.isoformat()))
    if kind == "number":
        value_type = "percentage" if fmt == "0.00%" else "float"
        return ('<table:table-cell%s office:value-type="%s" office:value="%r"><text:p/></table:table-cell>'
                % (style, value_type, value))
    # OpenFormula separates a function's arguments with semicolons.
    result_type, result = RESULTS[value]
    stored = "office:string-value=%s" % quoteattr(result)
    return ('<table:table-cell table:formula=%s office:value-type="%s" %s><text:p>%s</text:p></table:table-cell>'
            % (quoteattr("of:=" + value.replace(",", ";")), result_type, stored, escape(result)))


def write_ods(path, rows):
    namespaces = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                  'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
                  'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
                  'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
                  'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
                  'xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" '
                  'xmlns:config="urn:oasis:names:tc:opendocument:xmlns:config:1.0"')
    cell_styles = "".join('<style:style style:name="c%s" style:family="table-cell" style:data-style-name="%s"/>'
                          % (name, name) for name in ODS_FORMATS.values())
    body = "".join("<table:table-row>%s</table:table-row>" % "".join(ods_cell(*cell) for cell in row)
                   for row in rows)

    def table(name, style, body):
        return '<table:table table:name="%s" table:style-name="%s">%s</table:table>' % (name, style, body)

    def single(text):
        return ('<table:table-row><table:table-cell office:value-type="string"><text:p>%s</text:p>'
                '</table:table-cell></table:table-row>' % text)

    content = ('<?xml version="1.0" encoding="UTF-8"?><office:document-content %s office:version="1.2">'
               '<office:automatic-styles>%s%s</office:automatic-styles><office:body><office:spreadsheet>%s%s%s'
               '</office:spreadsheet></office:body></office:document-content>'
               % (namespaces, ODS_STYLES, cell_styles, table("Hidden", "ta2", single("HIDDEN SHEET")),
                  table("Old", "ta1", single("OLD SHEET")), table("Crew", "ta1", body)))
    settings = ('<?xml version="1.0" encoding="UTF-8"?><office:document-settings %s office:version="1.2">'
                '<office:settings><config:config-item-set config:name="ooo:view-settings">'
                '<config:config-item-map-indexed config:name="Views"><config:config-item-map-entry>'
                '<config:config-item config:name="ViewId" config:type="string">view1</config:config-item>'
                '<config:config-item config:name="ActiveTable" config:type="string">Crew</config:config-item>'
                '</config:config-item-map-entry></config:config-item-map-indexed></config:config-item-set>'
                '</office:settings></office:document-settings>' % namespaces)
    manifest = ('<?xml version="1.0" encoding="UTF-8"?><manifest:manifest '
                'xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">'
                '<manifest:file-entry manifest:full-path="/" '
                'manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
                '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
                '<manifest:file-entry manifest:full-path="settings.xml" manifest:media-type="text/xml"/>'
                '</manifest:manifest>')
    with zipfile.ZipFile(path, "w") as archive:
        archive.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        for name, text in (("content.xml", content), ("settings.xml", settings), ("META-INF/manifest.xml", manifest)):
            archive.writestr(name, text, compress_type=zipfile.ZIP_DEFLATED)


def office_save(paths, folder):
    """Has LibreOffice open the .xlsx files and save each as .xlsx and as .xls into folder. An .xls file LibreOffice
    opens keeps the results its writer stored (none, from xlwt), so the .xls twin is saved from the .xlsx one, whose
    formulas LibreOffice calculates. The .ods files, written with their results and their active sheet (which
    LibreOffice, saving without a window, would drop), are copied as they are."""
    xlsx = [p for p in paths if p.endswith(".xlsx")]
    office.convert(["xlsx:Calc MS Excel 2007 XML", "xls:MS Excel 97"], xlsx, folder)
    for suffix in ("xlsx", "xls"):
        for p in xlsx:
            if not os.path.exists(os.path.join(folder, os.path.basename(p)[:-4] + suffix)):
                raise SystemExit("LibreOffice did not save " + p + " as ." + suffix)
    for p in paths:
        if p.endswith(".ods"):
            shutil.copy(p, folder)


def main():
    folder = sys.argv[1]
    written = os.path.join(folder, "written")
    os.makedirs(written, exist_ok=True)
    paths = []
    if len(sys.argv) < 3:
        for suffix, write in (("xls", write_xls), ("xlsx", write_xlsx), ("ods", write_ods)):
            paths.append(os.path.join(written, "crew." + suffix))
            write(paths[-1], CREW)
        office_save(paths, folder)
        return
    count = int(sys.argv[2])
    people = [[("text", "NAME%d" % (n + 1), None)] + CREW[n % 4][1:] for n in range(count)]
    for suffix, write in (("xls", write_xls), ("xlsx", write_xlsx), ("ods", write_ods)):
        paths.append(os.path.join(written, "people%d.%s" % (count, suffix)))
        write(paths[-1], people)
    office_save(paths, folder)
    with open(os.path.join(folder, "people%d.csv" % count), "w", encoding="utf-8") as f:
        for n in range(count):
            f.write("NAME%d,marco,1/2/1960,%08d\r\n" % (n + 1, n))


if __name__ == "__main__":
    main()
