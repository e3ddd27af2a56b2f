# A headless LibreOffice for the tests' scripts: started with a private profile, reached
# through UNO over a pipe of its own, and ended when the `with` block ends.
# Run with Debian's /usr/bin/python3 (python3-uno).
import contextlib
import os
import subprocess
import time

import uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def _desktop(pipe, office):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        'com.sun.star.bridge.UnoUrlResolver', local)
    for _ in range(600):
        try:
            context = resolver.resolve('uno:pipe,name=%s;urp;StarOffice.ComponentContext' % pipe)
            return context.ServiceManager.createInstanceWithContext(
                'com.sun.star.frame.Desktop', context)
        except Exception:
            time.sleep(0.1)
    office.kill()
    raise SystemExit('LibreOffice did not answer')


@contextlib.contextmanager
def office_session(profile):
    pipe = 'schreiber_tests_%d' % os.getpid()
    office = subprocess.Popen(
        ['soffice', '-env:UserInstallation=' + uno.systemPathToFileUrl(profile), '--headless',
         '--invisible', '--norestore', '--nologo', '--accept=pipe,name=%s;urp;' % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    desktop = _desktop(pipe, office)
    try:
        yield desktop
    finally:
        try:
            desktop.terminate()
        except Exception:
            pass
        try:
            office.wait(timeout=60)
        except subprocess.TimeoutExpired:
            office.kill()
