"""Building <setup name>.msi from product.wxs: wixl builds the database from
a copy with the tool's custom action added; msibuild adds the tables and
writes the Component conditions that wixl cannot build, and the package
code, which wixl chooses at random."""

from __future__ import annotations

import os
import subprocess
import tempfile
from pathlib import Path

from .custom_actions import action_elements
from .errors import BuildError
from .external_programs import Tools, run_tool
from .installer_source import ComponentCondition, InstallerSource
from .installer_tables import import_tables
from .project import Project


def build_installer_database(project: Project, source: InstallerSource, out_dir: Path, tools: Tools,
                             action_library: Path | None = None) -> None:
    wxs = project.path("product.wxs")
    target = out_dir / f"{project.setup_name}.msi"
    temporary = (out_dir / (target.name + ".partial")).resolve()
    temporary.unlink(missing_ok=True)
    what = f"{target.name} from {wxs}"
    if not source.component_conditions and action_library is None:
        run_tool([tools.wixl, "-o", str(temporary), wxs.name], project.folder, what)
    else:
        rows = action_elements(action_library, project.folder) if action_library else b""
        run_wixl_on_copy(project, source.for_wixl(rows), temporary, tools, what)
    mark_cabinet_files_compressed(temporary, tools, what)
    if source.tables:
        import_tables(temporary, source.tables, tools, what)
    if source.component_conditions:
        write_component_conditions(temporary, source.component_conditions, tools, what)
    write_package_code(temporary, project.revision_code, tools, what)
    os.replace(temporary, target)


def run_wixl_on_copy(project: Project, wxs_text: bytes, database: Path, tools: Tools, what: str) -> None:
    # The copy stays beside product.wxs, since wixl finds the files relative to it.
    handle, copy_name = tempfile.mkstemp(prefix=".product-", suffix=".wxs", dir=project.folder)
    copy = Path(copy_name)
    try:
        with os.fdopen(handle, "wb") as stream:
            stream.write(wxs_text)
        run_tool([tools.wixl, "-o", str(database), copy.name], project.folder, what)
    finally:
        copy.unlink(missing_ok=True)


# File attributes: the file is in a cabinet whatever the summary says, or not.
COMPRESSED = 16384
NONCOMPRESSED = 8192


def exported_rows(database: Path, table: str, tools: Tools, what: str) -> list[list[str]]:
    try:
        listing = subprocess.run([tools.msiinfo, "export", str(database), table], stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError) as error:
        raise BuildError(f"cannot read back the {table} table of {what}: {error}") from None
    # An export starts with three lines: column names, column types, table name.
    return [row.split("\t") for row in listing.splitlines()[3:]]


def cabinet_file_attributes(files: list[list[str]], media: list[list[str]]) -> dict[str, int]:
    """The new Attributes of every file that lies in a cabinet and does not
    say so. A file belongs to the first disk whose LastSequence reaches its
    Sequence."""
    disks = sorted((int(row[1]), bool(row[3])) for row in media if len(row) >= 4)
    changed = {}
    for row in files:
        if len(row) < 8:
            continue
        key, attributes, sequence = row[0], int(row[6] or 0), int(row[7])
        in_cabinet = next((cabinet for last, cabinet in disks if sequence <= last), False)
        wanted = (attributes | COMPRESSED) & ~NONCOMPRESSED
        if in_cabinet and wanted != attributes:
            changed[key] = wanted
    return changed


def mark_cabinet_files_compressed(database: Path, tools: Tools, what: str) -> None:
    """The engine marks the database as one of uncompressed files before
    installing (summary word count 8), so that files shipped beside it in
    data\ are found. Files that wixl put into a cabinet must then say so
    themselves, or Windows Installer looks for them in the source folder."""
    changed = cabinet_file_attributes(exported_rows(database, "File", tools, what),
                                      exported_rows(database, "Media", tools, what))
    if not changed:
        return
    arguments = [tools.msibuild, str(database)]
    for key, attributes in changed.items():
        arguments += ["-q", f"UPDATE `File` SET `Attributes` = {attributes} WHERE `File` = '{key}'"]
    run_tool(arguments, database.parent, what)
    written = {row[0]: int(row[6] or 0) for row in exported_rows(database, "File", tools, what)}
    for key, attributes in changed.items():
        if written.get(key) != attributes:
            raise BuildError(f"the attributes of the file {key} did not reach {what}")


def write_component_conditions(database: Path, conditions: list[ComponentCondition], tools: Tools,
                               what: str) -> None:
    arguments = [tools.msibuild, str(database)]
    for c in conditions:
        arguments += ["-q", f"UPDATE `Component` SET `Condition` = '{c.condition}' "
                            f"WHERE `Component` = '{c.component}'"]
    run_tool(arguments, database.parent, what)
    # An UPDATE that matches no row succeeds silently: read the table back.
    written = written_conditions(database, tools, what)
    for c in conditions:
        if written.get(c.component) != c.condition:
            raise BuildError(f"the condition of Component {c.component} did not reach the installer "
                             "database (is the Component part of a Feature?)", c.where)


def written_conditions(database: Path, tools: Tools, what: str) -> dict[str, str]:
    """The Condition column of the database's Component table, by Component."""
    try:
        listing = subprocess.run([tools.msiinfo, "export", str(database), "Component"],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError) as error:
        raise BuildError(f"cannot read back the Component table of {what}: {error}") from None
    written = {}
    # An export starts with three lines: column names, column types, table name.
    for row in listing.splitlines()[3:]:
        columns = row.split("\t")
        if len(columns) >= 5:
            written[columns[0]] = columns[4]
    return written


def summary_information(database: Path, tools: Tools, what: str) -> dict[str, str]:
    """msiinfo's summary of a database: "Subject", "Author", "Template",
    "Revision number (UUID)", ..."""
    try:
        listing = subprocess.run([tools.msiinfo, "suminfo", str(database)], stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError) as error:
        raise BuildError(f"cannot read the summary information of {what}: {error}") from None
    summary = {}
    for line in listing.splitlines():
        name, separator, value = line.partition(": ")
        if separator:
            summary[name] = value
    return summary


def write_package_code(database: Path, revision_code: str, tools: Tools, what: str) -> None:
    """The package code is the revision code: the engine upgrades an installed
    product whose package code differs from its own revision code."""
    summary = summary_information(database, tools, what)
    # msibuild sets subject, author, template and package code together.
    run_tool([tools.msibuild, str(database), "-s", summary.get("Subject", ""), summary.get("Author", ""),
              summary.get("Template", ""), revision_code], database.parent, what)
    written = summary_information(database, tools, what).get("Revision number (UUID)", "")
    if written.upper() != revision_code:
        raise BuildError(f"the package code of {what} reads {written or 'nothing'} after writing the "
                         f"revision code {revision_code}")
