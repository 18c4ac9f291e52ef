"""Tables that wixl cannot build (IniFile, Environment, ...): the project's
tables/NAME.idt files, in Windows Installer's own export format, imported
into the database with msibuild after wixl has built it."""

from __future__ import annotations

import subprocess
from dataclasses import dataclass
from pathlib import Path

from .errors import BuildError, Where
from .external_programs import Tools, run_tool
from .installer_source import FORMATTED_REFERENCE, CONDITION_REFERENCE
from .project import Project


@dataclass
class InstallerTable:
    name: str
    path: Path
    # Header properties the rows name, as in product.wxs: [A3F2A], [P3F2A_1]
    # anywhere, bare names in a column called Condition.
    references: list[tuple[str, Where]]


def read_table(path: Path) -> InstallerTable:
    """An .idt file: column names, column types, the table's name (and its
    keys), then one row per line; columns separated by tabs."""
    try:
        text = path.read_bytes().decode("ascii")
    except UnicodeDecodeError as error:
        line = path.read_bytes()[:error.start].count(b"\n") + 1
        raise BuildError("a table file holds only ASCII characters (write other texts in product.wxs)",
                         Where(str(path), line)) from None
    except OSError as error:
        raise BuildError(f"cannot read the file: {error.strerror}", Where(str(path))) from None
    lines = text.replace("\r\n", "\n").split("\n")
    if len(lines) < 3 or lines[2].split("\t")[0] != path.stem:
        raise BuildError(f"the third line must name the table {path.stem}, as the file's name does "
                         "(an export of Windows Installer: column names, column types, table name and keys)",
                         Where(str(path), min(len(lines), 3)))
    columns = lines[0].split("\t")
    references = []
    for number, row in enumerate(lines[3:], start=4):
        for column, value in zip(columns, row.split("\t")):
            where = Where(str(path), number)
            references += [(m.group(1), where) for m in FORMATTED_REFERENCE.finditer(value)]
            if column == "Condition":
                references += [(m.group(1), where) for m in CONDITION_REFERENCE.finditer(value)]
    return InstallerTable(path.stem, path, references)


def read_installer_tables(project: Project) -> list[InstallerTable]:
    folder = project.path("tables")
    if not folder.is_dir():
        return []
    return [read_table(path) for path in sorted(folder.glob("*.idt"))]


def msiinfo(arguments: list[str], tools: Tools, what: str) -> str:
    try:
        return subprocess.run([tools.msiinfo, *arguments], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError) as error:
        raise BuildError(f"cannot read the tables of {what}: {error}") from None


def database_tables(database: Path, tools: Tools, what: str) -> set[str]:
    return set(msiinfo(["tables", str(database)], tools, what).split())


def row_count(database: Path, table: str, tools: Tools, what: str) -> int:
    # An export starts with three lines: column names, column types, table name.
    return max(0, len(msiinfo(["export", str(database), table], tools, what).splitlines()) - 3)


def import_tables(database: Path, tables: list[InstallerTable], tools: Tools, what: str) -> None:
    """Adds the tables. wixl makes many tables empty (RemoveFile, Registry,
    ...), which a table file may fill; one that wixl wrote rows into is
    refused, since the import would replace them."""
    built = database_tables(database, tools, what)
    for table in tables:
        if table.name in built and row_count(database, table.name, tools, what):
            raise BuildError(f"the table {table.name} has rows built from product.wxs; a table file would "
                             "replace them", Where(str(table.path)))
    arguments = [tools.msibuild, str(database)]
    for table in tables:
        arguments += ["-i", str(table.path.resolve())]
    run_tool(arguments, database.parent, what)
    missing = {table.name for table in tables} - database_tables(database, tools, what)
    if missing:
        raise BuildError(f"the tables {', '.join(sorted(missing))} did not reach {what}")
