"""Fields: the separated form shared by script lines and the media file
table of project.ini. "|" separates fields, a backquote takes the next
character literally, and blanks around a field are dropped."""

from __future__ import annotations

from .errors import BuildError, Where

FIELD_SEPARATOR = "|"
ESCAPE = "`"
ESCAPABLE = {"|", "`", "#", ";", "[", " ", "\t"}
BLANKS = " \t"

# A character of a line, and whether a backquote made it literal.
Char = tuple[str, bool]


def unescape(text: str, where: Where) -> list[Char]:
    """Characters with a flag telling whether they were escaped (taken literally)."""
    chars: list[Char] = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == ESCAPE:
            chars.append((escaped_character(text, i, where), True))
            i += 2
        else:
            chars.append((c, False))
            i += 1
    return chars


def escaped_character(text: str, i: int, where: Where) -> str:
    """The character that the backquote at text[i] escapes."""
    if i + 1 == len(text):
        raise BuildError(f"a {ESCAPE} at the end of the line escapes nothing "
                         f"(write {ESCAPE}{ESCAPE} for a backquote)", where)
    following = text[i + 1]
    if following not in ESCAPABLE:
        raise BuildError(f"unknown escape {ESCAPE}{following}: a backquote escapes only "
                         f"| ` # ; [ and blanks (write {ESCAPE}{ESCAPE} for a backquote)", where)
    return following


def trimmed(chars: list[Char]) -> str:
    """The text of chars without the blanks at its ends that were not escaped."""
    start, end = 0, len(chars)
    while start < end and chars[start][0] in BLANKS and not chars[start][1]:
        start += 1
    while end > start and chars[end - 1][0] in BLANKS and not chars[end - 1][1]:
        end -= 1
    return "".join(c for c, _ in chars[start:end])


def split_fields(chars: list[Char]) -> list[str]:
    pieces: list[list[Char]] = [[]]
    for c, escaped in chars:
        if c == FIELD_SEPARATOR and not escaped:
            pieces.append([])
        else:
            pieces[-1].append((c, escaped))
    return [trimmed(piece) for piece in pieces]
