# Writes the workbook templates that come from LibreOffice into the folder given (charts,
# merged cells, formulas across sheets, runs of numbers stored as MULRK, a formula with a
# text result), all in one headless LibreOffice session with a private profile. The
# templates of the automation tests' typed road are among them:
#   typed_formulas.xls     sheet "Data" with SUM, AVERAGE, COUNT and MAX over the value
#                          column (C6:C100) and the minutes between the first two times in
#                          row 2, and a chart over the values on sheet "Diagramm"
#   typed_text_column.xls  the same with column C formatted as Text
#   typed_dates_1904.xls   the same in the 1904 date system
#   lo_formula_groups.xls  formulas that span cells on sheet "Data": a filled-down column
#                          (F6:F200, one shared formula), two filled-down columns side by side
#                          (H6:I20), an array formula over K6:K8 and one in L6 alone; and sheet
#                          "Geschützt", protected, with locked cells and the unlocked A3
#   lo_filled_down.xls     sheet "Data" with F6:F200 = C*1.8+32 beside the recording's values
# Run with Debian's /usr/bin/python3 (python3-uno).
import os
import sys

import uno
from com.sun.star.awt import Rectangle
from com.sun.star.lang import Locale
from com.sun.star.table import CellRangeAddress
from com.sun.star.util import CellProtection, Date

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from office_session import office_session, prop  # noqa: E402

folder, profile = sys.argv[1], sys.argv[2]


def new_book(desktop, names):
    book = desktop.loadComponentFromURL('private:factory/scalc', '_blank', 0, (prop('Hidden', True),))
    sheets = book.Sheets
    sheets.getByIndex(0).Name = names[0]
    for index, name in enumerate(names[1:], start=1):
        sheets.insertNewByName(name, index)
    return book


def save(book, name):
    book.storeToURL(uno.systemPathToFileUrl(os.path.join(folder, name)),
                    (prop('FilterName', 'MS Excel 97'),))
    book.close(True)


def chart_book(desktop):
    book = new_book(desktop, ['Data', 'Diagramm'])
    data = book.Sheets.getByName('Data')
    data.getCellRangeByName('A1').String = 'Monat'
    data.getCellRangeByName('B1').String = 'Menge'
    for row in range(2, 8):
        data.getCellRangeByName('A%d' % row).String = 'M%d' % row
        data.getCellRangeByName('B%d' % row).Value = row * 1.5
    data.getCellRangeByName('D1:E2').merge(True)
    data.getCellRangeByName('D1').String = 'zusammengefasst'
    charts = book.Sheets.getByName('Diagramm').Charts
    area = CellRangeAddress()
    area.Sheet, area.StartColumn, area.StartRow, area.EndColumn, area.EndRow = 0, 0, 0, 1, 6
    frame = Rectangle()
    frame.X, frame.Y, frame.Width, frame.Height = 500, 500, 12000, 8000
    charts.addNewByName('Verlauf', frame, (area,), True, True)
    book.Sheets.getByName('Diagramm').getCellRangeByName('A20').String = 'unter dem Diagramm'
    save(book, 'lo_chart.xls')


def formula_book(desktop):
    book = new_book(desktop, ['Data', 'Rechnung'])
    data = book.Sheets.getByName('Data')
    data.getCellRangeByName('A1').String = 'abc'
    data.getCellRangeByName('B1').String = '5'
    data.getCellRangeByName('C1').String = '7'
    for column, value in zip('ABCDEF', (1, 2, 3, 4.5, 100, 7)):
        data.getCellRangeByName('%s3' % column).Value = value  # one run of numbers
    data.getCellRangeByName('A4').Formula = '=A1&"-x"'        # a formula with a text result
    data.getCellRangeByName('B4').Formula = '=SUM(A3:F3)'
    data.getCellRangeByName('A6:C7').merge(True)
    calc = book.Sheets.getByName('Rechnung')
    calc.getCellRangeByName('A1').Formula = '=LEN($Data.A1)'
    calc.getCellRangeByName('A2').Formula = '=VALUE($Data.B1)+VALUE($Data.C1)'
    calc.getCellRangeByName('A3').Formula = '=$Data.A1&$Data.B1'
    calc.getCellRangeByName('A4').Formula = '=SUM($Data.A3:F3)'
    save(book, 'lo_formulas.xls')


def typed_road_book(desktop, name, text_column=False, date_1904=False):
    book = new_book(desktop, ['Data', 'Diagramm'])
    if date_1904:
        book.NullDate = Date(1, 1, 1904)
    data = book.Sheets.getByName('Data')
    for cell, formula in (('B2', '=SUM(C6:C100)'), ('C2', '=AVERAGE(C6:C100)'),
                          ('D2', '=COUNT(C6:C100)'), ('E2', '=MAX(C6:C100)'),
                          ('F2', '=(B7-B6)*1440')):
        data.getCellRangeByName(cell).Formula = formula
    data.getCellRangeByName('A3').String = 'Summe, Mittel, Anzahl, Maximum, Minuten'
    if text_column:
        formats = book.NumberFormats
        locale = Locale('en', 'US', '')
        key = formats.queryKey('@', locale, False)
        if key == -1:
            key = formats.addNew('@', locale)
        data.Columns.getByIndex(2).NumberFormat = key
    area = CellRangeAddress()
    area.Sheet, area.StartColumn, area.StartRow, area.EndColumn, area.EndRow = 0, 2, 5, 2, 40
    frame = Rectangle()
    frame.X, frame.Y, frame.Width, frame.Height = 500, 500, 12000, 8000
    book.Sheets.getByName('Diagramm').Charts.addNewByName('Verlauf', frame, (area,), False, False)
    save(book, name)


def formula_groups_book(desktop):
    book = new_book(desktop, ['Data', 'Geschützt'])
    data = book.Sheets.getByName('Data')
    for row in range(6, 31):
        data.getCellRangeByName('C%d' % row).Value = row * 1.5
        data.getCellRangeByName('D%d' % row).Value = row
    for row in range(6, 201):  # LibreOffice saves a run of like formulas as one shared formula
        data.getCellRangeByName('F%d' % row).Formula = '=C%d*1.8+32' % row
    for row in range(6, 21):
        data.getCellRangeByName('H%d' % row).Formula = '=C%d+D%d' % (row, row)
        data.getCellRangeByName('I%d' % row).Formula = '=D%d*H%d' % (row, row)
    data.getCellRangeByName('K6:K8').setArrayFormula('=C6:C8*2')
    data.getCellRangeByName('L6').setArrayFormula('=SUM(C6:C8*2)')
    data.getCellRangeByName('M2').Formula = '=SUM(F6:F200)+SUM(I6:I20)+SUM(K6:K8)+L6'
    locked = book.Sheets.getByName('Geschützt')
    for row in range(1, 6):
        locked.getCellRangeByName('A%d' % row).Value = row
    locked.getCellRangeByName('B1').Formula = '=SUM(A1:A5)'
    unlocked = CellProtection()
    unlocked.IsLocked = False
    locked.getCellRangeByName('A3').CellProtection = unlocked
    locked.protect('')
    save(book, 'lo_formula_groups.xls')


def filled_down_book(desktop):
    book = new_book(desktop, ['Data'])
    data = book.Sheets.getByName('Data')
    for row in range(6, 201):
        data.getCellRangeByName('F%d' % row).Formula = '=C%d*1.8+32' % row
    save(book, 'lo_filled_down.xls')


with office_session(profile) as desktop:
    formula_groups_book(desktop)
    filled_down_book(desktop)
    chart_book(desktop)
    formula_book(desktop)
    typed_road_book(desktop, 'typed_formulas.xls')
    typed_road_book(desktop, 'typed_text_column.xls', text_column=True)
    typed_road_book(desktop, 'typed_dates_1904.xls', date_1904=True)
