"""The project's text: its files read line by line, entries that remember
where they come from, and the shapes of names in them (GUIDs, file names)."""

from __future__ import annotations

import re
from dataclasses import dataclass
from pathlib import Path

from .errors import BuildError, Where

# The package is 8-bit text in the ANSI code page of the machines it runs on.
CODE_PAGE = "cp1252"

GUID_PATTERN = re.compile(
    r"^(\{)?([0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12})(?(1)\})$")


@dataclass(frozen=True)
class Text:
    """A package entry with the place it comes from, for error messages."""
    value: str
    where: Where | None = None


def read_lines(path: Path) -> list[tuple[int, str]]:
    """The lines of a UTF-8 text file (a byte order mark is allowed), numbered from 1."""
    try:
        data = path.read_bytes()
    except OSError as error:
        raise BuildError(f"cannot read the file: {error.strerror}", Where(str(path))) from None
    try:
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError as error:
        line = data[: error.start].count(b"\n") + 1
        raise BuildError(f"the file is not UTF-8 text (byte 0x{data[error.start]:02X})",
                         Where(str(path), line)) from None
    # Only LF (with an optional CR before it) ends a line, as the engine reads.
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return [(number, line[:-1] if line.endswith("\r") else line)
            for number, line in enumerate(lines, start=1)]


def normalize_guid(text: str, where: Where, what: str) -> str:
    """A GUID as the package holds it: in braces, upper case."""
    match = GUID_PATTERN.match(text)
    if not match:
        raise BuildError(f"the {what} '{text}' is not a GUID such as "
                         "{6F1C2A0B-3D4E-4F50-8A61-72B3C4D5E6F7}", where)
    return "{" + match.group(2).upper() + "}"


def is_windows_file_name(name: str) -> bool:
    if not name or name != name.rstrip(". ") or any(c in name for c in '\\/:*?"<>|'):
        return False
    if any(ord(c) < 32 for c in name):
        return False
    reserved = {"CON", "PRN", "AUX", "NUL"} | {f"COM{i}" for i in range(1, 10)} | {f"LPT{i}" for i in range(1, 10)}
    return name.split(".")[0].upper() not in reserved
