#!/usr/bin/env python3
"""Makes the hostile inputs bench/hostile.sh hands to the batch command, at
full size, in FOLDER: files that unfold to gigabytes, pad every row to a far
column, declare entities, or are no file at all. Each name says what it is.

usage: hostile_files.py FOLDER
"""
import os
import random
import socket
import sys
import zipfile

HEADER = ["借款日期", "到期日期", "还款日期", "起息日期", "还款金额", "月利率(‰)", "还款方式"]
ROW = ["2009-01-01", "2009-07-01", "2009-09-30", "2009-01-01", "10000", "5.31", "只结利息"]
MB = 1 << 20

WORKBOOK = ('<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/'
            'relationships"><sheets><sheet name="甲" sheetId="1" r:id="rId1"/></sheets>'
            '</workbook>')
RELATIONS = ('<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/>'
             '</Relationships>')


def column(index):
    name = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


def inline_row(number, texts):
    cells = "".join(f'<c r="{column(i)}{number}" t="inlineStr"><is><t>{t}</t></is></c>'
                    for i, t in enumerate(texts))
    return f'<row r="{number}">{cells}</row>'


def sheet(rows):
    return f"<worksheet><sheetData>{rows}</sheetData></worksheet>"


def workbook(path, parts):
    """A workbook of the given parts; a part given as a function writes
    itself, piece by piece, to the open entry (for gigabytes of XML)."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", RELATIONS)
        for name, text in parts.items():
            if callable(text):
                with z.open(name, "w", force_zip64=True) as entry:
                    text(entry)
            else:
                z.writestr(name, text)


def repeated(head, unit, times, tail):
    """Writes head, unit `times` times and tail, a megabyte at a time."""
    def write(entry):
        entry.write(head.encode())
        block = unit.encode() * max(1, MB // len(unit))
        per_block = len(block) // len(unit)
        left = times
        while left >= per_block:
            entry.write(block)
            left -= per_block
        entry.write(unit.encode() * left)
        entry.write(tail.encode())
    return write


def main():
    folder = sys.argv[1]
    at = lambda name: os.path.join(folder, name)

    # CSV: a 2 MB header of 2,000,001 columns; UTF-16; a header of 16,384
    # columns over 4 million one-cell rows, each padded to the header's width.
    with open(at("csv-header-2000001-columns.csv"), "wb") as f:
        f.write(b"," * 2_000_000 + b"\n" + ",".join(ROW).encode() + b"\n")
    with open(at("csv-utf16.csv"), "wb") as f:
        f.write(b"\xff\xfe" + (",".join(HEADER) + "\r\n" + ",".join(ROW) + "\r\n").encode("utf-16-le"))
    with open(at("csv-16384-columns-4m-short-rows.csv"), "wb") as f:
        f.write((",".join(HEADER) + "," * (16_384 - len(HEADER)) + "\n").encode())
        f.write(b"1\n" * 4_000_000)

    # Not a workbook we can read: an OLE compound file (encrypted or .xls).
    with open(at("ole-encrypted.xlsx"), "wb") as f:
        f.write(bytes.fromhex("D0CF11E0A1B11AE1") + b"\0" * 4088)

    header = inline_row(1, HEADER)
    # A cell past the last column, XFD.
    workbook(at("xlsx-cell-ZZZ1.xlsx"),
             {"xl/worksheets/sheet1.xml": sheet('<row r="1"><c r="ZZZ1" t="b"><v>1</v></c></row>')})
    # One shared string of a million bytes, used 3,000 times in a row.
    workbook(at("xlsx-1mb-shared-string-x3000.xlsx"), {
        "xl/sharedStrings.xml": "<sst><si><t>" + "x" * 1_000_000 + "</t></si></sst>",
        "xl/worksheets/sheet1.xml": sheet(header + '<row r="2">' +
                                          '<c t="s"><v>0</v></c>' * 3000 + "</row>"),
    })
    # 400 million empty shared strings: 2 GB of XML.
    workbook(at("xlsx-400m-empty-shared-strings.xlsx"), {
        "xl/sharedStrings.xml": repeated("<sst>", "<si/>", 400_000_000, "</sst>"),
        "xl/worksheets/sheet1.xml": sheet(header),
    })
    # 4 GB of blanks in the sheet: a deflate bomb.
    workbook(at("xlsx-4gb-blank-sheet.xlsx"), {
        "xl/worksheets/sheet1.xml": repeated("<worksheet><sheetData>", " ", 4 << 30,
                                             "</sheetData></worksheet>"),
    })
    # Styles: 1,000 number formats and 1,500,000 cell formats (past the cap),
    # and 65,536 of each (at it, read).
    formats = lambda n: "".join(f'<numFmt numFmtId="{164 + i}" formatCode="0.{"0" * (i % 9)}"/>'
                                for i in range(n))
    workbook(at("xlsx-styles-1000-formats-1500000-xfs.xlsx"), {
        "xl/styles.xml": "<styleSheet><numFmts>" + formats(1000) + "</numFmts><cellXfs>" +
                         "".join(f'<xf numFmtId="{164 + i % 1000}"/>' for i in range(1_500_000)) +
                         "</cellXfs></styleSheet>",
        "xl/worksheets/sheet1.xml": sheet(header),
    })
    workbook(at("xlsx-styles-65536-formats-65536-xfs.xlsx"), {
        "xl/styles.xml": "<styleSheet><numFmts>" + formats(65_536) + "</numFmts><cellXfs>" +
                         "".join(f'<xf numFmtId="{164 + i}"/>' for i in range(65_536)) +
                         "</cellXfs></styleSheet>",
        "xl/worksheets/sheet1.xml": sheet(header + inline_row(2, ROW)),
    })
    # Entities declared and expanded ("billion laughs").
    laughs = "".join(f'<!ENTITY l{i} "{"&l%d;" % (i - 1) * 10}">' for i in range(1, 10))
    workbook(at("xlsx-billion-laughs.xlsx"), {
        "xl/sharedStrings.xml": f'<!DOCTYPE sst [<!ENTITY l0 "ha">{laughs}]>'
                                "<sst><si><t>&l9;</t></si></sst>",
        "xl/worksheets/sheet1.xml": sheet(header),
    })
    # 10 MB of file (a picture that does not deflate) whose sheet inflates to
    # all the XML allowed, in the elements that cost the most to parse: as
    # many empty elements as fit, and as many empty cells.
    picture = random.Random(1).randbytes(10 * MB)
    for name, unit, row in (("elements", "<a/>", None), ("cells", "<c/>", 16_384)):
        count = (64 * MB + 20 * (10 * MB + 300_000)) // len(unit)
        if row:
            body = repeated(f"<worksheet><sheetData>{header}",
                            "<row>" + unit * row + "</row>", count // row, "</sheetData></worksheet>")
        else:
            body = repeated(f"<worksheet><sheetData>{header}", unit, count, "</sheetData></worksheet>")
        path = at(f"xlsx-10mb-dense-{name}.xlsx")
        workbook(path, {"xl/worksheets/sheet1.xml": body})
        with zipfile.ZipFile(path, "a", zipfile.ZIP_STORED) as z:
            z.writestr("xl/media/image1.png", picture)

    # Every row's one cell at XFD: each row padded to 16,384 cells.
    rows = "".join(f'<row r="{r}"><c r="XFD{r}" t="b"><v>1</v></c></row>'
                   for r in range(2, 1_048_577))
    workbook(at("xlsx-1m-rows-at-XFD.xlsx"), {"xl/worksheets/sheet1.xml": sheet(header + rows)})

    # What is not a regular file.
    os.mkfifo(at("fifo.csv"))
    os.symlink("loop-b.csv", at("loop-a.csv"))
    os.symlink("loop-a.csv", at("loop-b.csv"))
    os.mkdir(at("unreadable-folder.csv"), 0)
    listener = socket.socket(socket.AF_UNIX)
    listener.bind(at("socket.csv"))
    listener.close()
    open(at("empty.csv"), "wb").close()
    open(at("empty.xlsx"), "wb").close()


if __name__ == "__main__":
    main()
