# Writes the workbook templates that come from python3-xlwt into the folder given, one
# file per case. Run with Debian's /usr/bin/python3.
import sys
import xlwt

folder = sys.argv[1]


def plain():
    book = xlwt.Workbook()
    sheet = book.add_sheet('Data')
    sheet.write(0, 0, 'Name')
    sheet.write(0, 1, 'Wert')
    sheet.write(1, 0, 'Pumpe')
    sheet.write(1, 1, 12)
    sheet.write(4, 3, 'unten rechts')
    book.save(folder + '/plain.xls')


def multi_sheet():
    book = xlwt.Workbook(encoding='utf-8')
    first = book.add_sheet('Deckblatt')
    first.write(0, 0, 'Titel')
    first.write(2, 2, 3.25)
    data = book.add_sheet('Data')
    data.write(0, 0, 'alt')
    data.write(1, 1, 'Zeile 2')
    last = book.add_sheet('Итоги')  # a sheet name outside Latin-1
    last.write(0, 0, 'Σ')
    last.write(5, 1, -7)
    book.save(folder + '/multi.xls')


def kinds():
    book = xlwt.Workbook()
    sheet = book.add_sheet('Data')
    bold = xlwt.easyxf('font: bold on; align: horiz center')
    money = xlwt.easyxf(num_format_str='#,##0.00')
    dated = xlwt.easyxf(num_format_str='YYYY-MM-DD')
    sheet.write(0, 0, 'fett', bold)
    sheet.write(0, 1, 1234.5, money)
    sheet.write(0, 2, 42)                 # an RK number
    sheet.write(0, 3, 0.1)                # a NUMBER record
    sheet.write(0, 4, True)               # BOOLERR
    sheet.row(0).set_cell_error(5, '#DIV/0!')
    sheet.write(1, 0, xlwt.Formula('C1*2'))
    sheet.write(1, 1, 45000, dated)
    sheet.write(1, 2, None, bold)         # a formatted blank
    for column in range(3, 7):
        sheet.write(1, column, None, money)  # a MULBLANK run
    other = book.add_sheet('Formeln')
    other.write(0, 0, xlwt.Formula('Data!C1+1'))
    book.save(folder + '/kinds.xls')


def wide():
    book = xlwt.Workbook()
    sheet = book.add_sheet('Data')
    for column in range(256):
        sheet.write(0, column, 'c%d' % column)
        sheet.write(1, column, column)
    book.save(folder + '/wide.xls')


def long_strings():
    book = xlwt.Workbook(encoding='utf-8')
    sheet = book.add_sheet('Data')
    sheet.write(0, 0, 'x' * 20000)                    # crosses two CONTINUE boundaries
    sheet.write(1, 0, 'Ж' * 9000)                     # two bytes a character
    for row in range(2, 1500):
        sheet.write(row, 0, 'eintrag %05d' % row)
    book.save(folder + '/long.xls')


def blocks():
    book = xlwt.Workbook()
    sheet = book.add_sheet('Data')
    for row in range(0, 200, 3):
        sheet.write(row, 0, 'r%d' % row)
        sheet.write(row, 1, row)
    book.save(folder + '/blocks.xls')


def recalc():
    book = xlwt.Workbook()
    data = book.add_sheet('Data')
    data.write(0, 0, '1')
    data.write(0, 1, '2')
    total = book.add_sheet('Summe')
    total.write(0, 0, xlwt.Formula('VALUE(Data!A1)+VALUE(Data!B1)'))
    total.write(0, 1, xlwt.Formula('Data!A1&Data!B1'))
    book.save(folder + '/recalc.xls')


def typed():
    # Row 1: five cells of one bold, bordered, filled format and one italic cell; the values
    # written into them get clones of these formats.
    book = xlwt.Workbook()
    sheet = book.add_sheet('Data')
    framed = xlwt.easyxf('font: bold on; borders: left thin, right thin, top thin, bottom thin; '
                         'pattern: pattern solid, fore_colour yellow; align: horiz center')
    leaning = xlwt.easyxf('font: italic on')
    for column in range(5):
        sheet.write(0, column, 'Kopf', framed)
    sheet.write(0, 5, 'schräg', leaning)
    sheet.write(1, 0, 'Text')
    book.save(folder + '/typed.xls')


def full_formats():
    # As many cell formats as a workbook may hold (4050 XF records), each one used by a cell.
    import itertools
    import xlrd
    book = xlwt.Workbook()
    sheet = book.add_sheet('Data')
    sheet.write(0, 0, 'voll')
    path = folder + '/full_formats.xls'
    book.save(path)
    room = 4050 - len(xlrd.open_workbook(path, formatting_info=True).xf_list)
    shapes = itertools.product(range(8, 64), range(1, 14), range(0, 7))
    for index, (colour, line, align) in enumerate(itertools.islice(shapes, room)):
        style = xlwt.XFStyle()
        style.pattern.pattern = xlwt.Pattern.SOLID_PATTERN
        style.pattern.pattern_fore_colour = colour
        style.borders.left = line
        style.alignment.horz = align
        sheet.write(1 + index // 200, index % 200, index, style)
    book.save(path)
    assert len(xlrd.open_workbook(path, formatting_info=True).xf_list) == 4050


def formula_texts():
    # Each formula's text in column A, the formula xlwt compiles from it in column B.
    texts = ['1+2*3', '(1+2)*3', '-A1^2', '10%', 'A1&"x"&""""', 'A1<>B1', 'A1<=2', '$A$1+A$1+$A1',
             'SUM(A1:A3)', 'SUM($C$2:D9,1,2.5)', 'IF(A1>0,"ja","nein")', 'ROUND(A1/3,2)',
             'VLOOKUP(A1,C1:D9,2,FALSE)', "'Other sheet'!A1*2", 'Summe!B2:C3', 'TRUE', 'NOW()',
             'AVERAGE(Summe!A1:A9)', 'MAX(A1,B1)-MIN(A1,B1)', 'CONCATENATE("a",B1)',
             'INDEX(C1:D9,2,1)', 'PI()', 'LEN(UPPER(B1))', 'A1>=0.5']
    book = xlwt.Workbook()
    sheet = book.add_sheet('Data')
    book.add_sheet('Other sheet')
    book.add_sheet('Summe')
    for row, text in enumerate(texts):
        sheet.write(row, 0, '=' + text)
        sheet.write(row, 1, xlwt.Formula(text))
    book.save(folder + '/xlwt_formulas.xls')


for case in (plain, multi_sheet, kinds, wide, long_strings, blocks, recalc, typed, full_formats,
             formula_texts):
    case()
