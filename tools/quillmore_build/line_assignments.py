"""What each script line is given for the package: its identifier, its
command header, and how many fields its record holds."""

from __future__ import annotations

import hashlib
import uuid
from typing import TYPE_CHECKING

from .commands import PLUGIN_FIELDS_READ
from .errors import BuildError
from .field_syntax import ESCAPE
from .script_txt import ScriptLine

if TYPE_CHECKING:
    from .project import Project


def stable_uuid(project: Project, *parts: str) -> uuid.UUID:
    namespace = uuid.UUID(project.product_code)
    return uuid.uuid5(namespace, "\n".join(parts))


def occurrences(lines: list[ScriptLine]) -> list[int]:
    """For each line, how many lines of the same command come before it, plus one."""
    counts: dict[str, int] = {}
    result = []
    for line in lines:
        counts[line.command] = counts.get(line.command, 0) + 1
        result.append(counts[line.command])
    return result


def assign_identifiers(project: Project) -> None:
    """Line identifiers: named by the author, or derived from the product code,
    the command name and how many lines of that command precede the line, so
    that a rebuild, or inserting lines of other commands, keeps them."""
    taken = named_identifiers(project.lines)
    for line, n in zip(project.lines, occurrences(project.lines)):
        if line.identifier:
            continue
        attempt = 0
        while True:
            identifier = "{" + str(stable_uuid(project, line.command, str(n), str(attempt))).upper() + "}"
            if identifier not in taken:
                break
            attempt += 1
        line.identifier = identifier
        taken[identifier] = line


def named_identifiers(lines: list[ScriptLine]) -> dict[str, ScriptLine]:
    """The identifiers the author gave ([id=...]), each to one line only."""
    taken: dict[str, ScriptLine] = {}
    for line in lines:
        if line.identifier:
            other = taken.get(line.identifier)
            if other:
                raise BuildError(f"the line identifier {line.identifier} is also given to line "
                                 f"{other.where.line}", line.where)
            taken[line.identifier] = line
    return taken


def assign_headers(project: Project) -> None:
    """Command headers: named by the author ([header=...]) or, for the lines of
    the deferred commands, generated from the product code, the command name
    and how many lines of that command precede the line."""
    taken = named_headers(project.lines)
    for line, n in zip(project.lines, occurrences(project.lines)):
        if line.header is not None or not project.commands.is_deferred(line.command):
            continue
        attempt = 0
        while True:
            digest = hashlib.sha1("\n".join(
                [project.product_code, line.command, str(n), str(attempt)]).encode("utf-8")).hexdigest()
            header = digest[:8].upper()
            # An all-digit header would read like a line index of the header list.
            if header not in taken and not header.isdigit():
                break
            attempt += 1
        line.header = header
        line.header_generated = True
        taken[header] = line


def named_headers(lines: list[ScriptLine]) -> dict[str, ScriptLine]:
    """The headers the author gave, by their upper-case form: unique
    regardless of case, and none equal to a line index."""
    indexes = {str(line.index) for line in lines}
    taken: dict[str, ScriptLine] = {}
    for line in lines:
        if line.header is None:
            continue
        other = taken.get(line.header.upper())
        if other:
            raise BuildError(f"the command header {line.header} is also given to line "
                             f"{other.where.line}", line.where)
        if line.header in indexes:
            raise BuildError(f"the command header {line.header} reads like a line index of the "
                             "header list; choose one with a letter A-F in it", line.where)
        taken[line.header.upper()] = line
    return taken


def expected_fields(project: Project, command: str) -> tuple[int | None, bool]:
    """How many fields the engine reads for a command, and whether more are a mistake.
    None: nothing is known, and the command's lines decide."""
    declared = project.settings.field_counts.get(command)
    if declared is not None:
        return declared[0], True
    fields = project.commands.fields_read(command)
    if fields is not None:
        # The deferred commands' other fields are for the installer database's
        # author; the engine ignores them.
        return fields, not project.commands.is_deferred(command)
    # A built-in command that reads any number of fields ("Comment", "Ignore")
    # is taken like a command that is not built in: a plug-in command's count
    # when one is listed under that name, else its records are padded to what
    # its lines wrote.
    if command.lower() in (c.value.lower() for c in project.settings.plugin_commands):
        return PLUGIN_FIELDS_READ, True
    return None, False


def assign_record_lengths(project: Project) -> None:
    """Every record gets at least the fields its command reads: the count of
    the command (or the count declared under [field counts]), else the most
    fields any line of that command wrote. A record is never shorter than its
    own line wrote. The engine does not check a record's length: a record
    shorter than what the command reads would hand it the next record's
    entries."""
    most_written: dict[str, int] = {}
    for line in project.lines:
        most_written[line.command] = max(most_written.get(line.command, 0), len(line.fields))
    for line in project.lines:
        expected, strict = expected_fields(project, line.command)
        if expected is not None and strict and len(line.fields) > expected:
            raise BuildError(
                f"'{line.command}' reads {expected} field(s), but this line has {len(line.fields)}; "
                f"write {ESCAPE}| for a vertical bar inside a field, or give the command's count "
                "under [field counts] in project.ini", line.where)
        line.record_length = max(expected or 0, most_written[line.command], len(line.fields))
