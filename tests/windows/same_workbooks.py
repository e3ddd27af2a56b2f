# Each workbook given equals, cell for cell, type for type and format for format (as
# tests/xls/read_back.py prints them), the embedded application's workbook of the same
# block in REFERENCE_DIR: the one with the same name before the time stamp.
# usage: /usr/bin/python3 same_workbooks.py REFERENCE_DIR WORKBOOK...
import difflib
import os
import re
import subprocess
import sys

READ_BACK = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'xls', 'read_back.py')


def block_name(path):
    return re.sub(r'_\d{8}_\d{4}\.xls$', '', os.path.basename(path))


def facts(path):
    out = subprocess.run([sys.executable, READ_BACK, path], check=True, capture_output=True,
                         text=True).stdout
    return out.splitlines()[1:]  # all but the file's name


reference_dir, workbooks = sys.argv[1], sys.argv[2:]
references = {block_name(f): os.path.join(reference_dir, f) for f in os.listdir(reference_dir)}
failed = False
for workbook in workbooks:
    reference = references.get(block_name(workbook))
    if reference is None:
        print('%s: the embedded application made no workbook of that block' % workbook)
        failed = True
        continue
    theirs, ours = facts(reference), facts(workbook)
    if theirs != ours:
        print('%s differs from the embedded application\'s:' % workbook)
        print('\n'.join(difflib.unified_diff(theirs, ours, 'embedded', 'server', lineterm='', n=1)))
        failed = True
sys.exit(1 if failed else 0)
