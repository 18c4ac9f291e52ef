"""Reading script.txt: one script line per text line, with its options
([header=...], [id=...], [media=...]), command name and fields."""

from __future__ import annotations

import re
from dataclasses import dataclass
from pathlib import Path

from .errors import BuildError, Where
from .field_syntax import BLANKS, Char, split_fields, unescape
from .text import normalize_guid, read_lines

COMMENTED_MARK = "#"   # at the start: the line stays in the package, switched off
NOTE_MARK = ";"        # at the start: a note for the reader, not a script line
HEADER_PATTERN = re.compile(r"^[0-9A-Fa-f]{1,8}$")
OPTIONS = ("header", "id", "media")


@dataclass
class ScriptLine:
    index: int               # 0-based position in the script; users see index + 1
    where: Where
    command: str
    fields: list[str]
    commented: bool
    header: str | None = None
    header_generated: bool = False
    identifier: str | None = None
    media: str = ""
    record_length: int = 0


def read_script(path: Path) -> list[ScriptLine]:
    lines: list[ScriptLine] = []
    for number, raw in read_lines(path):
        where = Where(str(path), number)
        stripped = raw.lstrip(BLANKS)
        if not stripped or stripped.startswith(NOTE_MARK):
            continue
        lines.append(parse_script_line(len(lines), raw, where))
    return lines


def parse_script_line(index: int, raw: str, where: Where) -> ScriptLine:
    chars = unescape(raw, where)
    i = skip_blanks(chars, 0)
    commented = i < len(chars) and chars[i] == (COMMENTED_MARK, False)
    if commented:
        i = skip_blanks(chars, i + 1)
    options, i = read_options(chars, i, where)

    parts = split_fields(chars[i:])
    command, fields = parts[0], parts[1:]
    if not command:
        raise BuildError("the line has no command name", where)
    line = ScriptLine(index=index, where=where, command=command, fields=fields, commented=commented)
    apply_options(line, options)
    return line


def skip_blanks(chars: list[Char], i: int) -> int:
    """The position of the first character from i on that is not an unescaped blank."""
    while i < len(chars) and chars[i][0] in BLANKS and not chars[i][1]:
        i += 1
    return i


def read_options(chars: list[Char], i: int, where: Where) -> tuple[dict[str, str], int]:
    """The "[name=value]" options before the command name, and where the name starts."""
    options: dict[str, str] = {}
    while i < len(chars) and chars[i] == ("[", False):
        close = next((j for j in range(i + 1, len(chars)) if chars[j] == ("]", False)), None)
        if close is None:
            raise BuildError("an option '[' is not closed by ']'", where)
        option = "".join(c for c, _ in chars[i + 1:close])
        if "=" not in option:
            raise BuildError(f"the option [{option}] must be written [name=value]", where)
        key, value = (part.strip(BLANKS) for part in option.split("=", 1))
        key = key.lower()
        if key not in OPTIONS:
            raise BuildError(f"unknown option [{option}]; the options are [header=...], [id=...] "
                             "and [media=...]", where)
        if key in options:
            raise BuildError(f"the option [{key}=...] is given twice", where)
        options[key] = value
        i = skip_blanks(chars, close + 1)
    return options, i


def apply_options(line: ScriptLine, options: dict[str, str]) -> None:
    if "header" in options:
        header = options["header"]
        if not HEADER_PATTERN.match(header):
            raise BuildError(f"the command header '{header}' must be 1 to 8 hexadecimal digits", line.where)
        line.header = header
    if "id" in options:
        line.identifier = normalize_guid(options["id"], line.where, "line identifier")
    if "media" in options:
        line.media = media_folder(options["media"])


def media_folder(text: str) -> str:
    """A relative media folder always ends in a backslash."""
    return text if not text or text.endswith("\\") else text + "\\"
