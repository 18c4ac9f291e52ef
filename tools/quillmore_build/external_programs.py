"""The programs the tool runs: wixl and msibuild/msiinfo for the installer
database, 7zz for the resource archive."""

from __future__ import annotations

import os
import subprocess
from dataclasses import dataclass
from pathlib import Path

from .errors import BuildError


@dataclass
class Tools:
    wixl: str = "wixl"
    sevenzip: str = "7zz"
    msibuild: str = os.environ.get("QM_MSIBUILD", "msibuild")
    msiinfo: str = os.environ.get("QM_MSIINFO", "msiinfo")


def run_tool(arguments: list[str], cwd: Path, what: str) -> None:
    """Runs a program; its output becomes part of the error when it fails."""
    # A 7-Zip password ("-pSECRET") never appears in a message.
    shown = [a if not a.startswith("-p") or a == "-p" else "-p***" for a in arguments]
    try:
        result = subprocess.run(arguments, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True, errors="replace")
    except FileNotFoundError:
        raise BuildError(f"{arguments[0]} was not found; it is needed to build {what}") from None
    if result.returncode != 0:
        raise BuildError(f"{' '.join(shown)} failed with exit code {result.returncode} building "
                         f"{what}:\n{result.stdout.strip()}")
