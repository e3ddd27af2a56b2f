# Reads workbooks with LibreOffice, recalculated, cell by cell: type, formula (as LibreOffice
# writes it in English), value and text. Two uses, in one headless session:
#   libreoffice_cells.py PROFILE dump FILE...
#       prints FILE<TAB>SHEET<TAB>CELL<TAB>FORMULA<TAB>VALUE for every formula cell
#   libreoffice_cells.py PROFILE compare CASES
#       CASES holds lines NAME<TAB>TEMPLATE<TAB>WRITTEN<TAB>SHEET<TAB>CELL<TAB>NUMBER: LibreOffice
#       puts NUMBER into CELL of TEMPLATE itself, and every cell of every sheet must then read
#       as it reads in WRITTEN. Prints NAME<TAB>same<TAB>FORMULA-COUNT, or a line
#       NAME<TAB>differs<TAB>... per difference (at most ten).
#   libreoffice_cells.py PROFILE write_formulas OUT TEXTS
#       TEXTS holds one formula text per line as the spreadsheet application takes it (US
#       English: commas, A1 references, 'Other sheet'!A1); LibreOffice makes a workbook with
#       sheets "Data", "Other sheet" and "Summe", a few inputs and the global name "Rate",
#       puts text N into cell F<N> of "Data" and saves it as OUT (.xls)
#   libreoffice_cells.py PROFILE excel_formulas FILE...
#       prints FILE<TAB>SHEET<TAB>CELL<TAB>FORMULA for every formula cell, the formula as
#       LibreOffice shows it in the application's notation (commas, 'Other sheet'!A1)
# Run with Debian's /usr/bin/python3 (python3-uno).
import os
import sys

import uno

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from office_session import office_session, prop  # noqa: E402


def load(desktop, path):
    return desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(path)), '_blank',
                                        0, (prop('Hidden', True),))


def cell_name(row, column):
    letters = ''
    column += 1
    while column:
        column, rest = divmod(column - 1, 26)
        letters = chr(ord('A') + rest) + letters
    return '%s%d' % (letters, row + 1)


def cells(book):
    """(sheet, cell) -> (formula or '', value or text) of every cell that is not empty."""
    book.calculateAll()
    out = {}
    for sheet in book.Sheets:
        cursor = sheet.createCursor()
        cursor.gotoEndOfUsedArea(False)
        end = cursor.RangeAddress
        area = sheet.getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow)
        for row, (formulas, values) in enumerate(zip(area.FormulaArray, area.DataArray)):
            for column, (formula, value) in enumerate(zip(formulas, values)):
                if formula == '' and value == '':
                    continue
                out[(sheet.Name, cell_name(row, column))] = (
                    formula if formula.startswith(('=', '{=')) else '', value)
    return out


def dump(desktop, files):
    for path in files:
        book = load(desktop, path)
        for (sheet, name), (formula, value) in sorted(cells(book).items()):
            if formula:
                print('\t'.join((path, sheet, name, formula, str(value))))
        book.close(True)


def compare(desktop, cases):
    for line in open(cases, encoding='utf-8'):
        name, template, written, sheet, cell, number = line.rstrip('\n').split('\t')
        book = load(desktop, template)
        book.Sheets.getByName(sheet).getCellRangeByName(cell).Value = float(number)
        expected = cells(book)
        book.close(True)
        book = load(desktop, written)
        got = cells(book)
        book.close(True)
        differences = ['%s!%s: LibreOffice %r, ours %r' % (k[0], k[1], expected.get(k), got.get(k))
                       for k in sorted(set(expected) | set(got)) if expected.get(k) != got.get(k)]
        for difference in differences[:10]:
            print('%s\tdiffers\t%s' % (name, difference))
        if not differences:
            print('%s\tsame\t%d' % (name, sum(1 for v in got.values() if v[0])))


def excel_parser(book):
    from com.sun.star.sheet.FormulaLanguage import XL_ENGLISH
    from com.sun.star.sheet.FormulaMapGroup import ALL_EXCEPT_SPECIAL
    parser = book.createInstance('com.sun.star.sheet.FormulaParser')
    parser.FormulaConvention = 1  # com.sun.star.sheet.AddressConvention.XL_A1
    mapper = book.createInstance('com.sun.star.sheet.FormulaOpCodeMapper')
    parser.OpCodeMap = mapper.getAvailableMappings(XL_ENGLISH, ALL_EXCEPT_SPECIAL)
    return parser


def address(sheet, row, column):
    from com.sun.star.table import CellAddress
    at = CellAddress()
    at.Sheet, at.Row, at.Column = sheet, row, column
    return at


def write_formulas(desktop, out, texts):
    book = desktop.loadComponentFromURL('private:factory/scalc', '_blank', 0,
                                        (prop('Hidden', True),))
    book.Sheets.getByIndex(0).Name = 'Data'
    book.Sheets.insertNewByName('Other sheet', 1)
    book.Sheets.insertNewByName('Summe', 2)
    data = book.Sheets.getByIndex(0)
    for row in range(5):
        data.getCellByPosition(0, row).Value = row + 1.5
        data.getCellByPosition(1, row).String = 't%d' % row
    book.NamedRanges.addNewByName('Rate', '$Data.$A$1', address(0, 0, 0), 0)
    parser = excel_parser(book)
    for row, text in enumerate(open(texts, encoding='utf-8').read().splitlines()):
        data.getCellByPosition(5, row).setTokens(parser.parseFormula(text, address(0, row, 5)))
    book.storeToURL(uno.systemPathToFileUrl(os.path.abspath(out)),
                    (prop('FilterName', 'MS Excel 97'),))
    book.close(True)


def excel_formulas(desktop, files):
    for path in files:
        book = load(desktop, path)
        parser = excel_parser(book)
        for index, sheet in enumerate(book.Sheets):
            cursor = sheet.createCursor()
            cursor.gotoEndOfUsedArea(False)
            end = cursor.RangeAddress
            for row in range(end.EndRow + 1):
                for column in range(end.EndColumn + 1):
                    cell = sheet.getCellByPosition(column, row)
                    if not cell.Formula.startswith('='):
                        continue
                    text = parser.printFormula(cell.getTokens(), address(index, row, column))
                    print('\t'.join((path, sheet.Name, cell_name(row, column), '=' + text)))
        book.close(True)


profile, mode = sys.argv[1], sys.argv[2]
with office_session(profile) as office:
    if mode == 'dump':
        dump(office, sys.argv[3:])
    elif mode == 'write_formulas':
        write_formulas(office, sys.argv[3], sys.argv[4])
    elif mode == 'excel_formulas':
        excel_formulas(office, sys.argv[3:])
    else:
        compare(office, sys.argv[3])
