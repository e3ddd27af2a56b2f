# Compares the test server's call log with the call sequence the export makes through
# late-bound IDispatch: per workbook the Open (the full path), the activation of "Data",
# the sheet's Cells object asked for once, then one put per written cell, the Close with
# saving; at the end Quit. Every call in US English (0409). A member's id is asked of an
# object once: the application's "Workbooks" once per run, every other object's members
# once per object the client holds. The cells come from the embedded application's
# workbook of the same block: in each row from 5 on, every column up to the end marker,
# then "OK" in 1,1. The workbooks' order is the order of the Opens in the log (the block
# order is the conversion's own, tested elsewhere); each block of REFERENCE_DIR is opened
# once.
# usage: /usr/bin/python3 expected_calls.py LOG DATA_DIR_AS_WINDOWS REFERENCE_DIR
#            [--created] [--rejected-first-open]
import difflib
import os
import re
import sys

import xlrd

LCID = 'lcid=0409'


def block_name(path):
    return re.sub(r'_\d{8}_\d{4}\.xls$', '', os.path.basename(path))


def written_cells(path):
    sheet = xlrd.open_workbook(path, ragged_rows=True).sheet_by_name('Data')
    cells = []
    for row in range(4, sheet.nrows):
        cells += [(row + 1, column + 1) for column in range(sheet.row_len(row))]
    return cells + [(1, 1)]


def expected_calls(order, data_windows, references, created, rejected_first_open):
    calls = ['started by COM', 'CreateInstance'] if created else ['running']
    application_ids = set()

    def member(obj, name, flags, args=''):
        if obj != 'Application' or name not in application_ids:
            calls.append('%s names %s %s' % (obj, name, LCID))
        if obj == 'Application':
            application_ids.add(name)
        calls.append('%s.%s %s %s (%s)' % (obj, name, flags, LCID, args))

    def workbook(name):
        member('Application', 'Workbooks', 'get|method')
        calls.append('Workbooks.(default) get|method %s (BSTR "%s")' % (LCID, name))

    def sheet(name):
        workbook(name)
        member('Workbook', 'Worksheets', 'get|method')
        calls.append('Worksheets.(default) get|method %s (BSTR "Data")' % LCID)

    for index, name in enumerate(order):
        if rejected_first_open and index == 0:
            # The server's filter rejects the Open's name lookup (IDispatch method 5); the
            # open is tried again from the start.
            member('Application', 'Workbooks', 'get|method')
            calls.append('rejected Workbooks call, method 5')
        member('Application', 'Workbooks', 'get|method')
        member('Workbooks', 'Open', 'method', 'BSTR "%s%s"' % (data_windows, name))
        sheet(name)
        member('Worksheet', 'Activate', 'method')
        sheet(name)
        member('Worksheet', 'Cells', 'get|method')
        for row, column in written_cells(references[block_name(name)]):
            calls.append('Range.(default) put %s (I4 %d, I4 %d) = BSTR' % (LCID, row, column))
        workbook(name)
        member('Workbook', 'Close', 'method', 'BOOL true')
    member('Application', 'Quit', 'method')
    return calls + ['exit']


log, data_windows, reference_dir = sys.argv[1:4]
options = sys.argv[4:]
references = {block_name(f): os.path.join(reference_dir, f) for f in os.listdir(reference_dir)}
actual = open(log, encoding='utf-8', errors='replace').read().splitlines()
order = []
for line in actual:
    opened = re.match(r'Workbooks\.Open method \S+ \(BSTR ".*\\(.*)"\)$', line)
    if opened and opened.group(1) not in order:
        order.append(opened.group(1))
if sorted(block_name(name) for name in order) != sorted(references):
    sys.exit('opened %s; the embedded application wrote %s' % (order, sorted(references)))
expected = expected_calls(order, data_windows, references, '--created' in options,
                          '--rejected-first-open' in options)
if actual != expected:
    print('\n'.join(difflib.unified_diff(expected, actual, 'expected', 'log', lineterm='', n=2)))
    sys.exit(1)
