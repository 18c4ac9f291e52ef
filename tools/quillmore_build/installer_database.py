"""Building <setup name>.msi from product.wxs: wixl builds the database, and
msibuild writes the Component conditions that wixl cannot build."""

from __future__ import annotations

import os
import subprocess
import tempfile
from pathlib import Path

from .errors import BuildError
from .external_programs import Tools, run_tool
from .installer_source import ComponentCondition, InstallerSource
from .project import Project


def build_installer_database(project: Project, source: InstallerSource, out_dir: Path,
                             tools: Tools) -> None:
    wxs = project.path("product.wxs")
    target = out_dir / f"{project.setup_name}.msi"
    temporary = (out_dir / (target.name + ".partial")).resolve()
    temporary.unlink(missing_ok=True)
    what = f"{target.name} from {wxs}"
    if not source.component_conditions:
        run_tool([tools.wixl, "-o", str(temporary), wxs.name], project.folder, what)
    else:
        run_wixl_without_conditions(project, source, temporary, tools, what)
        write_component_conditions(temporary, source.component_conditions, tools, what)
    os.replace(temporary, target)


def run_wixl_without_conditions(project: Project, source: InstallerSource, database: Path,
                                tools: Tools, what: str) -> None:
    # wixl stops at a Component's Condition. The copy without them stays
    # beside product.wxs, since wixl finds the files relative to it.
    handle, copy_name = tempfile.mkstemp(prefix=".product-", suffix=".wxs", dir=project.folder)
    copy = Path(copy_name)
    try:
        with os.fdopen(handle, "wb") as stream:
            stream.write(source.without_component_conditions())
        run_tool([tools.wixl, "-o", str(database), copy.name], project.folder, what)
    finally:
        copy.unlink(missing_ok=True)


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
