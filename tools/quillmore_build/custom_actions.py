"""The product database's own custom action (actions/ in the repository,
given as --actions): it reads the installer property file the engine writes
before Windows Installer runs, and turns the "$QUOTE$" the engine stores in
the Property table back into "'". The tool adds it to the copy of
product.wxs that wixl builds, so no project has to name it."""

from __future__ import annotations

import os
from pathlib import Path
from xml.sax.saxutils import quoteattr

from .errors import BuildError, Where

# Names in the database: the Binary row, the CustomAction row and its entry.
LIBRARY_KEY = "QuillmoreActions"
READ_PROPERTIES_ACTION = "QuillmoreReadInstallerProperties"
READ_PROPERTIES_ENTRY = "ReadInstallerProperties"
# Before costing (CostInitialize is 800), so that folder properties from the
# file (TARGETDIR and the like) decide where things go, and after the
# standard searches (AppSearch is 400), so that the script's choice wins; in
# both sequences, since a run with the installer's own user interface starts
# with the UI sequence, and the engine, which runs without one, only with the
# execute sequence. A number, not Before="CostInitialize": wixl orders
# several custom actions placed Before or After others wrongly.
SEQUENCE = 750


def read_action_library(path: Path) -> bytes:
    try:
        data = path.read_bytes()
    except OSError as error:
        raise BuildError(f"cannot read the custom action library: {error.strerror}", Where(str(path))) from None
    if data[:2] != b"MZ":
        raise BuildError("the custom action library is not a Windows library (DLL)", Where(str(path)))
    return data


def action_elements(library: Path, wxs_folder: Path) -> bytes:
    """The rows that run the action, as elements of <Product>. wixl takes only
    file names relative to the folder of the .wxs it builds."""
    source = os.path.relpath(library.resolve(), wxs_folder.resolve())
    custom = f'<Custom Action="{READ_PROPERTIES_ACTION}" Sequence="{SEQUENCE}"/>'
    return (
        f'\n    <Binary Id="{LIBRARY_KEY}" SourceFile={quoteattr(source)}/>'
        f'\n    <CustomAction Id="{READ_PROPERTIES_ACTION}" BinaryKey="{LIBRARY_KEY}" '
        f'DllEntry="{READ_PROPERTIES_ENTRY}" Execute="immediate" Return="check" Impersonate="yes"/>'
        f'\n    <InstallExecuteSequence>{custom}</InstallExecuteSequence>'
        f'\n    <InstallUISequence>{custom}</InstallUISequence>\n  '
    ).encode("utf-8")
