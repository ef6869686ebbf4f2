#!/usr/bin/python3
"""Writes small spreadsheets, good and hostile, each built here byte by byte so that the tests know exactly what
they hold:  make_sheet_cases.py FOLDER [SOURCE.xls]
SOURCE.xls, a workbook saved by a spreadsheet program, is the base of the .xls cases (a password record put in)."""
import os
import struct
import sys
import zipfile

NS = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" ' \
     'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def inline(ref, text):
    return '<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, text)


def row(number, cells):
    return '<row r="%d">%s</row>' % (number, "".join(cells))


def person_rows(last, first):
    return row(1, [inline("A1", last), inline("B1", first)])


def xlsx(path, sheets, active=0, workbook_pr="", calc_pr="", shared=None, styles=None, sheet_parts=None,
         compression=zipfile.ZIP_DEFLATED, chart=None):
    """sheets: (name, state, sheetData XML); sheet_parts replaces a sheet's part whole (for damaged XML)."""
    sheet_entries = "".join('<sheet name="%s" sheetId="%d"%s r:id="rId%d"/>'
                            % (name, i + 1, ' state="%s"' % state if state else "", i + 1)
                            for i, (name, state, _) in enumerate(sheets))
    workbook = ('<?xml version="1.0" encoding="UTF-8"?><workbook %s>%s<bookViews><workbookView activeTab="%s"/>'
                '</bookViews><sheets>%s</sheets>%s</workbook>' % (NS, workbook_pr, active, sheet_entries, calc_pr))
    rels = "".join('<Relationship Id="rId%d" Type="%s/%s" Target="%s/sheet%d.xml"/>'
                   % (i + 1, REL, "chartsheet" if chart == i else "worksheet",
                      "chartsheets" if chart == i else "worksheets", i + 1) for i in range(len(sheets)))
    rels += '<Relationship Id="rIdS" Type="%s/sharedStrings" Target="sharedStrings.xml"/>' % REL
    if styles != "":
        rels += '<Relationship Id="rIdT" Type="%s/styles" Target="styles.xml"/>' % REL
    with zipfile.ZipFile(path, "w", compression) as z:
        z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types '
                   'xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
        z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships '
                   'xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" '
                   'Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % REL)
        z.writestr("xl/workbook.xml", workbook)
        z.writestr("xl/_rels/workbook.xml.rels", '<?xml version="1.0"?><Relationships '
                   'xmlns="http://schemas.openxmlformats.org/package/2006/relationships">%s</Relationships>' % rels)
        z.writestr("xl/sharedStrings.xml", '<?xml version="1.0"?><sst %s>%s</sst>'
                   % (NS, "".join(shared or [])))
        if styles != "":
            z.writestr("xl/styles.xml", styles or '<?xml version="1.0"?><styleSheet %s><cellXfs count="1">'
                       '<xf numFmtId="0"/></cellXfs></styleSheet>' % NS)
        for i, (name, state, data) in enumerate(sheets):
            folder = "chartsheets" if chart == i else "worksheets"
            part = (sheet_parts or {}).get(i)
            if part is None:
                part = '<?xml version="1.0"?><worksheet %s><sheetData>%s</sheetData></worksheet>' % (NS, data)
            z.writestr("xl/%s/sheet%d.xml" % (folder, i + 1), part)


def ods(path, tables, active=None, encrypted=False, extra_styles=""):
    """tables: (name, shown, table body XML)."""
    ns = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
          'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
          'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" '
          'xmlns:config="urn:oasis:names:tc:opendocument:xmlns:config:1.0"')
    body = "".join('<table:table table:name="%s" table:style-name="%s">%s</table:table>'
                   % (name, "ta1" if shown else "ta2", content) for name, shown, content in tables)
    content = ('<?xml version="1.0" encoding="UTF-8"?><office:document-content %s><office:automatic-styles>'
               '<style:style style:name="ta1" style:family="table"><style:table-properties table:display="true"/>'
               '</style:style><style:style style:name="ta2" style:family="table"><style:table-properties '
               'table:display="false"/></style:style>%s</office:automatic-styles><office:body><office:spreadsheet>'
               '%s</office:spreadsheet></office:body></office:document-content>' % (ns, extra_styles, body))
    settings = ('<?xml version="1.0" encoding="UTF-8"?><office:document-settings %s><office:settings>'
                '<config:config-item-set config:name="ooo:view-settings"><config:config-item-map-indexed '
                'config:name="Views"><config:config-item-map-entry><config:config-item config:name="ActiveTable" '
                'config:type="string">%s</config:config-item></config:config-item-map-entry>'
                '</config:config-item-map-indexed></config:config-item-set></office:settings>'
                '</office:document-settings>' % (ns, active or ""))
    entry = ('<manifest:encryption-data manifest:checksum-type="SHA1/1K" manifest:checksum="x"/>'
             if encrypted else "")
    manifest = ('<?xml version="1.0" encoding="UTF-8"?><manifest:manifest '
                'xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry '
                'manifest:full-path="content.xml" manifest:media-type="text/xml">%s</manifest:file-entry>'
                '</manifest:manifest>' % entry)
    with zipfile.ZipFile(path, "w") as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        z.writestr("content.xml", content, compress_type=zipfile.ZIP_DEFLATED)
        if active is not None:
            z.writestr("settings.xml", settings, compress_type=zipfile.ZIP_DEFLATED)
        z.writestr("META-INF/manifest.xml", manifest, compress_type=zipfile.ZIP_DEFLATED)


def ods_cell(text, attributes=""):
    return '<table:table-cell office:value-type="string"%s><text:p>%s</text:p></table:table-cell>' % (
        attributes, text)


def ods_row(*cells):
    return "<table:table-row>%s</table:table-row>" % "".join(cells)


def xls_with_password(source, path):
    """source with its second global record turned into a password record (FILEPASS) of the same length."""
    import olefile
    import shutil
    shutil.copy(source, path)
    ole = olefile.OleFileIO(path, write_mode=True)
    stream = bytearray(ole.openstream("Workbook").read())
    _, length = struct.unpack_from("<HH", stream, 0)
    struct.pack_into("<H", stream, 4 + length, 0x002F)
    ole.write_stream("Workbook", bytes(stream))
    ole.close()


def encrypted_package(path):
    """An .xlsx protected by a password as Office saves it: a compound file holding the streams EncryptionInfo and
    EncryptedPackage (4096 bytes each, so no mini stream is needed) instead of a ZIP package."""
    free, end, fat_sector = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD
    header = bytearray(512)
    header[0:8] = bytes.fromhex("D0CF11E0A1B11AE1")
    struct.pack_into("<HHHHH", header, 0x18, 0x3E, 3, 0xFFFE, 9, 6)
    struct.pack_into("<IIIIIIII", header, 0x2C, 1, 1, 0, 4096, end, 0, end, 0)
    header[0x4C:0x200] = struct.pack("<I", 0) + struct.pack("<I", free) * 108
    fat = [fat_sector, end] + [n + 1 for n in range(2, 9)] + [end] + [n + 1 for n in range(10, 17)] + [end]
    fat_bytes = struct.pack("<%dI" % len(fat), *fat) + struct.pack("<I", free) * (128 - len(fat))

    def entry(name, kind, child, right, start, size):
        raw = name.encode("utf-16-le")
        return (raw + bytes(64 - len(raw)) + struct.pack("<HBBIII", len(raw) + 2 if name else 0, kind, 1,
                                                          free, right, child) + bytes(16 + 4 + 16)
                + struct.pack("<IQ", start, size))
    directory = (entry("Root Entry", 5, 1, free, end, 0) + entry("EncryptionInfo", 2, free, 2, 2, 4096)
                 + entry("EncryptedPackage", 2, free, free, 10, 4096) + entry("", 0, free, free, 0, 0))
    with open(path, "wb") as f:
        f.write(bytes(header) + fat_bytes + directory + bytes(8192))


def xls_cases(folder):
    """.xls files by python3-xlwt: a hidden active sheet, and a boolean cell turned into the error #NAME? in the
    workbook's records (xlwt writes both as the same record)."""
    import olefile
    import xlwt
    book = xlwt.Workbook()
    decoy = book.add_sheet("Decoy")
    decoy.write(0, 0, "DECOY")
    decoy.visibility = 1
    people = book.add_sheet("People")
    people.write(0, 0, "SMITH")
    people.write(0, 1, "JOHN")
    book.set_active_sheet(0)
    book.save(os.path.join(folder, "active-hidden.xls"))

    book = xlwt.Workbook()
    sheet = book.add_sheet("People")
    sheet.write(0, 0, "SMITH")
    sheet.write(1, 1, True)
    path = os.path.join(folder, "error-name.xls")
    book.save(path)
    ole = olefile.OleFileIO(path, write_mode=True)
    stream = bytearray(ole.openstream("Workbook").read())
    at = 0
    while at + 4 <= len(stream):
        kind, length = struct.unpack_from("<HH", stream, at)
        if kind == 0x0205:  # BOOLERR: value, then 1 for an error
            stream[at + 4 + 6] = 0x1D
            stream[at + 4 + 7] = 1
        at += 4 + length
    ole.write_stream("Workbook", bytes(stream))
    ole.close()


def main():
    folder = sys.argv[1]

    def at(name):
        return os.path.join(folder, name)

    people = person_rows("SMITH", "JOHN")
    # XML damage: an unescaped ampersand in row 11, and a part cut short inside a row.
    rows = "".join(row(n, [inline("A%d" % n, "NAME%d" % n)]) for n in range(1, 20))
    broken = rows.replace("NAME11", "SMITH & SONS")
    xlsx(at("ampersand.xlsx"), [("People", None, "")], sheet_parts={
        0: '<?xml version="1.0"?><worksheet %s><sheetData>%s</sheetData></worksheet>' % (NS, broken)})
    whole = '<?xml version="1.0"?><worksheet %s><sheetData>%s</sheetData></worksheet>' % (NS, rows)
    xlsx(at("cut-part.xlsx"), [("People", None, "")], sheet_parts={0: whole[:whole.index("NAME19") + 3]})
    # A stored part whose bytes no longer match its checksum.
    xlsx(at("checksum.xlsx"), [("People", None, rows)], compression=zipfile.ZIP_STORED)
    data = bytearray(open(at("checksum.xlsx"), "rb").read())
    spot = data.index(b"NAME12")
    data[spot] = ord("X")
    open(at("checksum.xlsx"), "wb").write(bytes(data))

    # Which sheet is shown.
    for state in ("hidden", "veryHidden"):
        xlsx(at("active-%s.xlsx" % state), [("Decoy", state, person_rows("DECOY", "D")), ("People", None, people)])
    xlsx(at("active-second.xlsx"), [("Old", None, person_rows("OLD", "O")), ("People", None, people)], active=1)
    xlsx(at("active-word.xlsx"), [("People", None, people)], active="x")
    xlsx(at("active-chart.xlsx"), [("Chart", None, ""), ("People", None, people)], chart=0)
    xlsx(at("past-last-row.xlsx"), [("People", None, people + row(1048577, [inline("A1048577", "FAR")]))])
    xls_cases(folder)
    xlsx(at("far-cell.xlsx"), [("People", None, row(1, [inline("A1", "SMITH")]) +
                                row(1048576, [inline("XFD1048576", "FAR")]))])
    nested = ('<table:table-row><table:table-cell office:value-type="string"><text:p>SMITH</text:p>'
              '</table:table-cell><table:table-cell><table:table table:name="Decoy"><table:table-row>'
              '<table:table-cell office:value-type="string"><text:p>DECOY</text:p></table:table-cell>'
              '</table:table-row></table:table></table:table-cell></table:table-row>')
    ods(at("nested-table.ods"), [("Hidden", False, ods_row(ods_cell("HIDDEN"))), ("People", True, nested),
                                 ("Other", True, ods_row(ods_cell("OTHER")))], active="Other" + "x")
    ods(at("active-hidden.ods"), [("Decoy", False, ods_row(ods_cell("DECOY"))), ("People", True,
                                  ods_row(ods_cell("SMITH"), ods_cell("JOHN")))], active="Decoy")

    # Values the file shows that are no names: error values, formulas without results.
    xlsx(at("error-name.xlsx"), [("People", None, people + row(12, [
        '<c r="A12" t="e"><f>TEXTAFTER(B12,",")</f><v>#NAME?</v></c>']))])
    xlsx(at("error-na.xlsx"), [("People", None, people + row(3, ['<c r="B3" t="e"><v>#N/A</v></c>']))])
    xlsx(at("error-outside.xlsx"), [("People", None, people + row(2, ['<c r="E2" t="e"><v>#REF!</v></c>']) +
                                     row(1001, ['<c r="A1001" t="e"><v>#DIV/0!</v></c>']))])
    xlsx(at("no-result.xlsx"), [("People", None, people + row(2, ['<c r="A2"><f>TEXTBEFORE(B1," ")</f></c>']))])
    xlsx(at("calc-on-load.xlsx"), [("People", None, people + row(2, [
        '<c r="A2" t="str"><f>UPPER("smith")</f><v>SMITH</v></c>']))], calc_pr='<calcPr fullCalcOnLoad="1"/>')
    xlsx(at("calc-on-load-outside.xlsx"), [("People", None, people + row(2, [
        '<c r="F2" t="str"><f>UPPER("x")</f><v>X</v></c>']))], calc_pr='<calcPr fullCalcOnLoad="1"/>')
    xlsx(at("stored-result.xlsx"), [("People", None, row(1, [
        '<c r="A1" t="str"><f>WEBSERVICE("http://x.test/name")</f><v>SMITH</v></c>', inline("B1", "JOHN")]))])
    ods(at("error-cell.ods"), [("People", True, ods_row(ods_cell("SMITH"), ods_cell("JOHN")) + ods_row(
        '<table:table-cell table:formula="of:=1/0" office:value-type="string" office:string-value="" '
        'calcext:value-type="error"><text:p>#DIV/0!</text:p></table:table-cell>'))])
    error_row = ods_row('<table:table-cell table:formula="of:=NA()" office:value-type="string" office:string-value="" '
                        'calcext:value-type="error"><text:p>#N/A</text:p></table:table-cell>')
    ods(at("error-in-another-table.ods"), [("Old", True, error_row), ("People", True, ods_row(ods_cell("SMITH")))],
        active="People")
    ods(at("error-in-first-shown.ods"), [("Decoy", False, ods_row(ods_cell("DECOY"))), ("Old", True, error_row),
                                         ("People", True, ods_row(ods_cell("SMITH")))], active="Decoy")
    ods(at("err-text.ods"), [("People", True, ods_row(
        '<table:table-cell table:formula="of:=WEBSERVICE(&quot;x&quot;)" office:value-type="string" '
        'office:string-value="Err:540"><text:p>Err:540</text:p></table:table-cell>'))])
    ods(at("no-result.ods"), [("People", True, ods_row(ods_cell("SMITH"), '<table:table-cell '
                                                    'table:formula="of:=UPPER(&quot;x&quot;)"/>'))])

    # The machine's limits: a part that inflates far, and a cell longer than a spreadsheet cell can be.
    xlsx(at("bomb.xlsx"), [("People", None, people + " " * (70 * 1024 * 1024))])
    xlsx(at("long-cell.xlsx"), [("People", None, row(1, [inline("A1", "A" * 40000)]))])
    encrypted_package(at("password.xlsx"))
    ods(at("password.ods"), [("People", True, ods_row(ods_cell("SMITH")))], active="People", encrypted=True)
    if len(sys.argv) > 2:
        xls_with_password(sys.argv[2], at("password.xls"))

    # Numbers without a styles part are General; an .ods cell without a style takes the Default style's format.
    xlsx(at("no-styles.xlsx"), [("People", None, row(1, [inline("A1", "SMITH"), '<c r="B1" s="0"><v>4400123</v></c>']))],
         styles="")
    ods(at("default-style.ods"), [("People", True, ods_row(ods_cell("SMITH"), '<table:table-cell office:value-type='
                                                        '"float" office:value="1234567"><text:p/></table:table-cell>'))],
        extra_styles='<number:number-style style:name="N8"><number:number number:decimal-places="0" '
                     'number:min-integer-digits="8"/></number:number-style><style:style style:name="Default" '
                     'style:family="table-cell" style:data-style-name="N8"/>')

    # Texts: runs, phonetic guides, escapes; dates in the 1904 system; a style with a text section.
    shared = ['<si><r><t>SMI</t></r><r><rPr><b/></rPr><t>TH</t></r><rPh sb="0" eb="1"><t>SUMISU</t></rPh></si>',
              '<si><t>JOHN_x0009_PAUL</t></si>']
    styles = ('<?xml version="1.0"?><styleSheet %s><numFmts><numFmt numFmtId="164" formatCode="m/d/yyyy"/>'
              '<numFmt numFmtId="165" formatCode="&quot;P-&quot;@"/></numFmts><cellXfs count="4"><xf numFmtId="0"/>'
              '<xf numFmtId="164"/><xf numFmtId="165"/><xf numFmtId="14"/></cellXfs></styleSheet>' % NS)
    xlsx(at("texts-1904.xlsx"), [("People", None, row(1, [
        '<c r="A1" t="s"><v>0</v></c>', '<c r="B1" t="s"><v>1</v></c>', '<c r="C1" s="1"><v>0</v></c>',
        '<c r="D1" s="2" t="inlineStr"><is><t>123</t></is></c>']) + row(2, [
        '<c r="A2" t="b"><v>1</v></c>', '<c r="C2" s="3"><v>20454</v></c>']))],
         workbook_pr='<workbookPr date1904="1"/>', shared=shared, styles=styles)


if __name__ == "__main__":
    main()
