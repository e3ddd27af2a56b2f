# Writes the templates of the typed-cells road into the folder given, in one headless
# LibreOffice session with a private profile:
#   formulas.xls     sheet "Data" with SUM, AVERAGE, COUNT and MAX over the value column
#                    (C6:C100) and the minutes between the first two times in row 2, and
#                    a chart over the values on sheet "Diagramm"
#   text_column.xls  the same with column C formatted as Text
#   dates_1904.xls   the same in the 1904 date system
# Run with Debian's /usr/bin/python3 (python3-uno).
import os
import sys

import uno
from com.sun.star.awt import Rectangle
from com.sun.star.lang import Locale
from com.sun.star.table import CellRangeAddress
from com.sun.star.util import Date

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from office_session import office_session, prop  # noqa: E402

folder, profile = sys.argv[1], sys.argv[2]


def template(desktop, name, text_column=False, date_1904=False):
    book = desktop.loadComponentFromURL('private:factory/scalc', '_blank', 0, (prop('Hidden', True),))
    if date_1904:
        book.NullDate = Date(1, 1, 1904)
    sheets = book.Sheets
    data = sheets.getByIndex(0)
    data.Name = 'Data'
    sheets.insertNewByName('Diagramm', 1)
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
    sheets.getByName('Diagramm').Charts.addNewByName('Verlauf', frame, (area,), False, False)
    book.storeToURL(uno.systemPathToFileUrl(os.path.join(folder, name)),
                    (prop('FilterName', 'MS Excel 97'),))
    book.close(True)


with office_session(profile) as desktop:
    template(desktop, 'formulas.xls')
    template(desktop, 'text_column.xls', text_column=True)
    template(desktop, 'dates_1904.xls', date_1904=True)
