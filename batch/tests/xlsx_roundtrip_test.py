#!/usr/bin/python3
"""Runs `quillbary --batch` on a workbook made by openpyxl and reads the
results back with openpyxl: date cells read as dates and written back as
dates, number cells written back as the same numbers, other columns kept in
their place, figures as number cells (money under #,##0.00, days under 0, a
rate under the format of its digits), texts as texts, each row's 状态; a
second sheet 汇总 with the counts and sums as numbers; the header frozen and
under a filter, the columns wide enough for a date; and the same rows
written as CSV hold the same values in plain decimal.
usage: xlsx_roundtrip_test.py QUILLBARY"""
import csv
import datetime
import os
import subprocess
import sys
import tempfile
from pathlib import Path

import openpyxl

quillbary = sys.argv[1]
work = Path(tempfile.mkdtemp())
failures = []

header = ["借据号", "借款日期", "到期日期", "还款日期", "起息日期", "还款金额", "月利率(‰)", "备注", "还款方式"]
example_dates = [datetime.date(2009, 1, 1), datetime.date(2009, 7, 1),
                 datetime.datetime(2009, 9, 30), datetime.date(2009, 1, 1)]
# name, the row's cells, then the results expected: (value, number format) for
# each of 正常天数 正常利息 逾期天数 逾期利率 逾期利息, then 合计名称 合计 错误 状态.
M = "#,##0.00"
rows = [
    ("date cells and number cells",
     ["001", *example_dates, 10000, 5.31, "甲", "只结利息"],
     [(181, "0"), (320.37, M), (91, "0"), (7.965, "0.000"), (241.61, M)],
     "利息合计", (561.98, M), None, "已算出"),
    ("dates as texts of every form",
     ["002", "2009-01-01", "2009/7/1", "20090930", "2009年1月1日", "10000", "5.31", None, "还本结息"],
     [(181, "0"), (320.37, M), (91, "0"), (7.965, "0.000"), (241.61, M)],
     "本息合计", (10561.98, M), None, "已算出"),
    ("a rate below one is a number like any other",
     ["003", *example_dates, 0.1, 0.5, "", "还本结息"],
     [(181, "0"), (0, M), (91, "0"), (0.75, "0.00"), (0, M)],
     "本息合计", (0.1, M), None, "已算出"),
    ("an overdue rate beyond the range is the row's error",
     ["004", *example_dates, 10000, "1.7E308", "丙", "还本结息"],
     [None, None, None, None, None], None, None, "运行时错误 '6': 溢出", "未算出"),
    ("an impossible date is named",
     ["005", "2009-02-30", *example_dates[1:], 10000, 5.31, "丁", "只结利息"],
     [None, None, None, None, None], None, None, "借款日期“2009-02-30”不是存在的日期", "未算出"),
    ("repaid before the loan: the window's negative figures, not summed",
     ["006", datetime.date(2009, 1, 1), datetime.date(2009, 7, 1), datetime.date(2008, 9, 30),
      datetime.date(2009, 1, 1), 100000, 5.31, 2000000, "只结利息"],
     [(-93, "0"), (-1646.1, M), (0, "0"), (0, "0"), (0, M)],
     "利息合计", (-1646.1, M), None, "日期有误"),
    ("a refused amount is the row's error",
     ["007", *example_dates, "5万", 5.31, 10000000, "只结利息"],
     [None, None, None, None, None], None, None,
     "还款金额“5万”不是数字。请只填数字，如 10000 或 10,000.00。", "未算出"),
]

book = openpyxl.Workbook()
sheet = book.active
sheet.append(header)
for _, cells, *_ in rows:
    sheet.append(cells)
book.save(work / "in.xlsx")

def run(*args):
    # The runs are recorded in a journal of the test's own.
    env = {**os.environ, "XDG_DATA_HOME": str(work / "data")}
    done = subprocess.run([quillbary, *args], cwd=work, capture_output=True, text=True, timeout=60,
                          env=env)
    return done.returncode, done.stdout, done.stderr

status, out, err = run("--batch", "in.xlsx")
if status != 3 or "读取 7 行；已算出 3 行；日期有误 1 行；未算出 3 行" not in out:
    failures.append(f"run: status {status}, {out!r} {err!r}")

workbook = openpyxl.load_workbook(work / "in-结果.xlsx")
result = workbook.worksheets[0]
got_header = [c.value for c in result[1]]
if got_header[:len(header)] != header or got_header[len(header):] != [
        "正常天数", "正常利息", "逾期天数", "逾期利率(‰)", "逾期利息", "合计名称", "合计", "合计大写", "提示",
        "错误", "状态"]:
    failures.append(f"header: {got_header}")
last_column = openpyxl.utils.get_column_letter(len(got_header))
if result.freeze_panes != "A2":
    failures.append(f"frozen at {result.freeze_panes}, not below the header")
if result.auto_filter.ref != f"A1:{last_column}{len(rows) + 1}":
    failures.append(f"filter over {result.auto_filter.ref}")
for letter in ("B", "J", last_column):
    if (result.column_dimensions[letter].width or 0) < 11:
        failures.append(f"column {letter} too narrow for a date")
summary = [[c.value for c in line] for line in workbook["汇总"].iter_rows()]
if summary != [["读取行数", 7], ["已算出行数", 3], ["日期有误行数", 1], ["未算出行数", 3],
               ["正常利息之和", 640.74], ["逾期利息之和", 483.22], ["利息合计之和", 561.98],
               ["本息合计之和", 10562.08]]:
    failures.append(f"汇总: {summary}")
for number, (name, cells, figures, caption, total, error, state) in enumerate(rows, start=2):
    line = [c for c in result[number]]
    if line[7].value != (cells[7] or None):
        failures.append(f"{name}: 备注 not in its place: {line[7].value!r}")
    for carried, given in zip(line[:len(header)], cells):
        if isinstance(given, (int, float)) and (type(carried.value) is not type(given)
                                               or carried.value != given):
            failures.append(f"{name}: {carried.coordinate} is {carried.value!r}, not {given!r}")
        if isinstance(given, datetime.date) and carried.value != datetime.datetime(
                given.year, given.month, given.day):
            failures.append(f"{name}: {carried.coordinate} is {carried.value!r}, not a date")
    results = line[len(header):]
    for cell, want in zip(results[:5], figures):
        got = None if cell.value is None else (cell.value, cell.number_format)
        if got != want:
            failures.append(f"{name}: {cell.coordinate} is {got}, not {want}")
    if results[5].value != caption:
        failures.append(f"{name}: caption {results[5].value!r}")
    got_total = None if results[6].value is None else (results[6].value, results[6].number_format)
    if got_total != total:
        failures.append(f"{name}: total {got_total}, not {total}")
    if total is not None and not isinstance(results[7].value, str):
        failures.append(f"{name}: capitals are not text")
    if results[9].value != error:
        failures.append(f"{name}: error {results[9].value!r}, not {error!r}")
    if results[10].value != state:
        failures.append(f"{name}: 状态 {results[10].value!r}, not {state!r}")

# The CSV of the same rows holds the texts the number formats show.
run("--batch", "in.xlsx", "--output", "out.csv")
with open(work / "out.csv", encoding="utf-8-sig", newline="") as f:
    csv_rows = list(csv.reader(f))
if csv_rows[3][len(header):len(header) + 5] != ["181", "0.00", "91", "0.75", "0.00"]:
    failures.append(f"csv: {csv_rows[3]}")
if csv_rows[6][5:9] != ["100000", "5.31", "2000000", "只结利息"] or \
        csv_rows[6][len(header):len(header) + 7] != ["-93", "-1646.10", "0", "0", "0.00", "利息合计",
                                                   "-1646.10"]:
    failures.append(f"csv: {csv_rows[6]}")

# The template, as XLSX, is a file the batch reads.
run("--batch-template", "t.xlsx")
status, out, err = run("--batch", "t.xlsx")
if status != 0 or openpyxl.load_workbook(work / "t-结果.xlsx").active["P2"].value != 561.98:
    failures.append(f"template: status {status} {err!r}")

for failure in failures:
    print("FAIL", failure)
print("ok" if not failures else f"{len(failures)} failures")
sys.exit(1 if failures else 0)
