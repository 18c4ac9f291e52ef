"""The maps that relate the engine's line numbers to script.txt: the header
map printed after a build, and the table that --map writes."""

from __future__ import annotations

from .package import COMMENTED_STATE
from .project import Project


def header_map(project: Project) -> str:
    rows = [f"  line {line.index + 1:>4}  {line.header:<8}  {'generated' if line.header_generated else 'named    '}"
            f"  {line.command}  ({line.where})"
            for line in project.lines if line.header is not None]
    return "\n".join(["command headers (installer properties A<header>, P<header>_<n>):", *rows]) \
        if rows else "no command headers"


def line_map(project: Project) -> str:
    rows = ["line\tsource\tidentifier\theader\tstate\tcommand"]
    rows += [f"{line.index + 1}\t{line.where}\t{line.identifier}\t{line.header or ''}\t"
             f"{COMMENTED_STATE if line.commented else ''}\t{line.command}" for line in project.lines]
    return "\n".join(rows) + "\n"
