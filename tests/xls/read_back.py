# Reads workbooks with xlrd, the independent reader of the tests, and prints one line per
# fact so that a test can compare files:
#   file <TAB> path
#   sheet <TAB> index <TAB> repr(name)
#   cell <TAB> sheet <TAB> row <TAB> column <TAB> type <TAB> xf <TAB> repr(value)   (from 1)
#   stream <TAB> path/in/file <TAB> sha256            (every stream but the workbook's)
#   datemode <TAB> 0 or 1                              (1: dates count from 1904)
#   xf <TAB> index <TAB> repr(number format) <TAB> quote prefix <TAB> the rest, as one repr
#       (font, alignment, borders, fill, protection, parent style)
# A file xlrd refuses prints: error <TAB> repr(message). Run with /usr/bin/python3.
import hashlib
import sys

import xlrd
from xlrd import compdoc


def streams(data):
    doc = compdoc.CompDoc(data, logfile=open('/dev/null', 'w'))
    paths = {}

    def walk(did, prefix):
        if did < 0:
            return
        node = doc.dirlist[did]
        walk(node.left_DID, prefix)
        walk(node.right_DID, prefix)
        path = prefix + node.name
        if node.etype == 1:
            walk(node.root_DID, path + '/')
        elif node.etype == 2:
            paths[path] = node
    walk(doc.dirlist[0].root_DID, '')
    for path in sorted(paths):
        if path.lower() in ('workbook', 'book'):
            continue
        content = doc.get_named_stream(path) or b''
        print('stream\t%s\t%s' % (path, hashlib.sha256(content).hexdigest()))


for path in sys.argv[1:]:
    print('file\t%s' % path)
    data = open(path, 'rb').read()
    streams(data)
    try:
        book = xlrd.open_workbook(file_contents=data, formatting_info=True, on_demand=False, ragged_rows=True,
                                  logfile=open('/dev/null', 'w'))
    except Exception as error:  # noqa: BLE001 - the message is what the test looks at
        print('error\t%r' % str(error))
        continue
    print('datemode\t%d' % book.datemode)
    for index, xf in enumerate(book.xf_list):
        font = book.font_list[xf.font_index]
        rest = (vars(font), vars(xf.alignment), vars(xf.border), vars(xf.background),
                vars(xf.protection), xf.parent_style_index, xf.is_style)
        print('xf\t%d\t%r\t%d\t%r' % (index, book.format_map[xf.format_key].format_str,
                                        xf.lotus_123_prefix, rest))
    for index, sheet in enumerate(book.sheets()):
        print('sheet\t%d\t%r' % (index, sheet.name))
        for row in range(sheet.nrows):
            for column in range(sheet.row_len(row)):
                cell = sheet.cell(row, column)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                print('cell\t%d\t%d\t%d\t%d\t%d\t%r' % (index, row + 1, column + 1, cell.ctype,
                                                       cell.xf_index, cell.value))
