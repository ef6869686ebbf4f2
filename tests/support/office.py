"""LibreOffice as the tests' spreadsheet program: headless, with a profile of its own (so that tests running at
once do not share one) set to the United States' conventions."""
import os
import shutil
import subprocess
import tempfile

LOCALE_SETTINGS = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema">
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse"><value>en-US</value></prop></item>
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooLocale" oor:op="fuse"><value>en-US</value></prop></item>
</oor:items>
"""


def convert(targets, sources, folder):
    """Opens each source and saves it into folder once per target ("xls:MS Excel 97", ...)."""
    profile = tempfile.mkdtemp(prefix="veyracheck-office-")
    try:
        os.makedirs(os.path.join(profile, "user"))
        with open(os.path.join(profile, "user", "registrymodifications.xcu"), "w", encoding="utf-8") as f:
            f.write(LOCALE_SETTINGS)
        for target in targets:
            subprocess.run(["soffice", "--headless", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
                            "-env:UserInstallation=file://" + profile, "--convert-to", target, "--outdir", folder]
                           + sources, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=240)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
