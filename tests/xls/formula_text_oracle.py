# The formula texts of the oracle's table, both ways, in the oracle's LibreOffice session:
#   - each text compiled by the engine (schreiber-cli put) into a copy of LibreOffice's
#     workbook and read by LibreOffice must show LibreOffice's own formula for that text;
#   - the engine's rendering (schreiber-cli dump) of LibreOffice's own workbook must show
#     LibreOffice's text for each formula.
# LibreOffice's formulas are printed in the application's notation (English names, A1).
import os
import re
import shutil
import subprocess

FORMULA_COLUMN = 10  # K, as in formula_oracle.py
REFUSED = '!refused: '

# Where LibreOffice's notation differs from the application's, so the two cannot agree:
# (pattern, way, reason), the first pattern found in a formula applies. way is 'read'
# (LibreOffice reading our compiled formula), 'shown' (our rendering of LibreOffice's
# formula) or 'both'. A listed formula that agrees is a failure: the list must shrink with
# the differences. formula_text_test.cpp leaves the same families out of its own texts.
NOTATION = [
    (r'(TRUE|FALSE)\(\)', 'shown',
     'LibreOffice has no boolean values: it saves its functions TRUE() and FALSE() as the '
     'constants TRUE and FALSE, which the application shows without parentheses'),
    (r'(?<![\w."])(TRUE|FALSE)(?![\w(])', 'read',
     'LibreOffice has no boolean values: it compiles the constants TRUE and FALSE typed as the '
     'numbers 1 and 0, and shows the constants of a file as the functions TRUE() and FALSE()'),
    (r'^=SUM\(A1:A3:A5\)$', 'read',
     'LibreOffice joins a range of ranges (A1:A3:A5) into one range (A1:A5) when it reads '
     'the file; the range operator stays in the formula'),
    (r'^=SUM\(\(A1:A2,A4\)\)$', 'shown',
     'LibreOffice prints a union with its own operator (~) even in the application\'s '
     'notation'),
    (r'^=IF\(A1,,A2\)$', 'shown',
     'LibreOffice stores a left-out argument as the number 0'),
    (r'^=ERROR\.TYPE\(', 'shown',
     'LibreOffice saves its own ERROR.TYPE as a call of the name _xlfn.ERROR.TYPE, which the '
     'application shows as the name stored'),
    (r'^=(CEILING|FLOOR)\(', 'both',
     'LibreOffice compiles CEILING and FLOOR typed in the application\'s notation as its own '
     'CEILING.MATH and FLOOR.MATH, saved as calls of the names _xlfn.CEILING.MATH and '
     '_xlfn.FLOOR.MATH, and shows the application\'s CEILING and FLOOR as CEILING.XCL and '
     'FLOOR.XCL'),
]


def listed(formula):
    for pattern, way, reason in NOTATION:
        if re.search(pattern, formula):
            return way, reason
    return None, None


def put_all(cli, workbook, rows):
    """Compiles (row, text) pairs into the workbook; returns {row: refusal} for the refused."""
    refused = {}
    batch = 40
    for start in range(0, len(rows), batch):
        part = rows[start:start + batch]
        args = [cli, 'put', workbook, '--sheet', 'Data']
        for row, text in part:
            args += [str(row + 1), str(FORMULA_COLUMN + 1), text]
        if subprocess.run(args, capture_output=True).returncode == 0:
            continue
        for row, text in part:  # one at a time to learn which are refused
            done = subprocess.run([cli, 'put', workbook, '--sheet', 'Data', str(row + 1),
                                   str(FORMULA_COLUMN + 1), text], capture_output=True, text=True)
            if done.returncode != 0:
                refused[row] = done.stderr.strip().replace('\n', ' ').replace('\t', ' ')
    return refused


def unescaped(text):
    out, k = [], 0
    while k < len(text):
        if text[k] == '\\' and k + 1 < len(text):
            nxt = text[k + 1]
            if nxt == 'x':
                out.append(chr(int(text[k + 2:k + 4], 16)))
                k += 4
                continue
            out.append({'t': '\t', 'r': '\r', 'n': '\n'}.get(nxt, nxt))
            k += 2
            continue
        out.append(text[k])
        k += 1
    return ''.join(out)


def shown_by_us(cli, workbook):
    """Row -> the formula text schreiber-cli dump shows in column K of sheet Data."""
    dump = subprocess.run([cli, 'dump', workbook, '--sheet', 'Data'], capture_output=True,
                          text=True, check=True).stdout
    shown = {}
    for line in dump.splitlines():
        fields = line.split('\t')
        if len(fields) >= 4 and fields[1] == str(FORMULA_COLUMN + 1) and fields[2] == 'formula':
            shown[int(fields[0]) - 1] = unescaped(fields[3])
    return shown


def shown_by_libreoffice(desktop, path, rows):
    import uno
    from com.sun.star.table import CellAddress
    from formula_oracle import application_parser
    from office_session import prop
    book = desktop.loadComponentFromURL(uno.systemPathToFileUrl(path), '_blank', 0,
                                        (prop('Hidden', True),))
    parser = application_parser(book)
    data = book.Sheets.getByName('Data')
    shown = {}
    for row in rows:
        cell = data.getCellByPosition(FORMULA_COLUMN, row)
        if not cell.Formula.startswith('='):
            shown[row] = '(no formula)'
            continue
        at = CellAddress()
        at.Sheet, at.Column, at.Row = 0, FORMULA_COLUMN, row
        shown[row] = '=' + parser.printFormula(cell.getTokens(), at)
    book.close(True)
    return shown


def typed_text(formula):
    # LibreOffice's own notation for the intersection is written with '!'; the
    # application's is a blank.
    return formula[7:].replace('!', ' ') if formula.startswith('native:') else formula


def write_texts(desktop, folder, cli, formulas):
    template = os.path.join(folder, 'oracle_template.xls')
    compiled = os.path.join(folder, 'oracle_compiled.xls')
    shutil.copyfile(template, compiled)
    rows = list(range(len(formulas)))
    refused = put_all(cli, compiled, [(row, typed_text(formulas[row])) for row in rows])
    own = shown_by_libreoffice(desktop, template, rows)
    read = shown_by_libreoffice(desktop, compiled, rows)
    ours = shown_by_us(cli, template)
    with open(os.path.join(folder, 'oracle_texts.tsv'), 'w', encoding='utf-8') as out:
        for row in rows:
            read_text = REFUSED + refused[row] if row in refused else read[row]
            out.write('\t'.join((str(row), formulas[row], own[row], read_text,
                                 ours.get(row, '(none)'))) + '\n')


def compare_texts(folder):
    failures, differences, agree, compared = [], {}, 0, 0
    path = os.path.join(folder, 'oracle_texts.tsv')
    for line in open(path, encoding='utf-8').read().splitlines():
        row, formula, own, read, ours = line.split('\t')
        way, reason = listed(formula)
        for name, got in (('read', read), ('shown', ours)):
            compared += 1
            if way in (name, 'both'):
                differences[reason] = differences.get(reason, 0) + 1
                if got.startswith(REFUSED):
                    failures.append('K%d %s: listed (%s), but our compiler refused it: %s'
                                    % (int(row) + 1, formula, reason, got))
                elif got == own:
                    failures.append('K%d %s: listed (%s), but %s agrees: %s'
                                    % (int(row) + 1, formula, reason, name, got))
                continue
            if got == own:
                agree += 1
            else:
                failures.append('K%d %s: %s %s, LibreOffice %s'
                                % (int(row) + 1, formula, name, got, own))
    print('%d comparisons (%d texts, read by LibreOffice and shown by us): %d agree, %d listed '
          'differences, %d fail' % (compared, compared // 2, agree, sum(differences.values()),
                                    len(failures)))
    for reason, count in sorted(differences.items()):
        print('  %d: %s' % (count, reason))
    for failure in failures:
        print(failure)
    return 1 if failures else 0
