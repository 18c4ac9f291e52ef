"""Writing the setup folder: the setup program (engine + package), the
installer database, the resource archive, qvx.lib, the splash picture and
the data folder. Everything is read and checked before anything is written."""

from __future__ import annotations

import os
import shutil
import tempfile
from dataclasses import dataclass
from pathlib import Path

from .custom_actions import read_action_library
from .errors import PROGRAM, BuildError, Where, warn
from .external_programs import Tools, run_tool
from .installer_database import build_installer_database
from .installer_source import InstallerSource, check_installer_source
from .installer_tables import read_installer_tables
from .maps import header_map, line_map
from .package import check_package, encode_package, package_sections
from .program_files import catalogue_bytes, read_program
from .project import Project, load_project
from .web_media import remove_outputs, write_medium_folder, write_web_folder


@dataclass
class SetupInputs:
    """Everything the setup folder is made of, read and checked."""
    project: Project
    package: bytes
    installer_source: InstallerSource
    engine: bytes
    library: bytes | None
    appended: bytes  # the message catalogue that follows the library
    resources: list[str]
    picture: bytes | None
    action_library: Path | None  # checked to be a Windows library


def write_atomically(target: Path, data: bytes) -> None:
    temporary = target.with_name(target.name + ".partial")
    temporary.write_bytes(data)
    os.replace(temporary, target)


# The stock wizard pages: a "Display Dialog" line whose page the project's
# resources/ do not hold gets the stock page of that name (with its rules).
STOCK_DIALOGS = Path(__file__).resolve().parent / "dialogs"


def stock_dialog_files(project: Project) -> list[Path]:
    """The stock pages (and their rule files) the script shows and resources/ lacks."""
    resources = project.path("resources")
    own = {p.name.lower() for p in resources.iterdir()} if resources.is_dir() else set()
    wanted: list[Path] = []
    for line in project.lines:
        if line.commented or line.command.lower() != "display dialog" or not line.fields:
            continue
        definition = f"{line.fields[0]}.dfm"
        if definition.lower() in own:
            continue
        for stock in (STOCK_DIALOGS / definition, STOCK_DIALOGS / f"{definition}.qvxf"):
            if stock.is_file() and stock not in wanted:
                wanted.append(stock)
    return wanted


def resource_names(project: Project) -> list[str]:
    """The entries of resources/, which become the resource archive's top level."""
    resources = project.path("resources")
    if not resources.is_dir():
        raise BuildError("the project folder has no resources/ folder (the engine needs its "
                         "resource archive, even for a script without dialogs)", Where(str(project.folder)))
    if not any(p.is_file() for p in resources.rglob("*")):
        raise BuildError("the resources/ folder holds no file", Where(str(resources)))
    return sorted(p.name for p in resources.iterdir())


def build_resource_archive(project: Project, names: list[str], out_dir: Path, tools: Tools) -> None:
    resources = project.path("resources")
    target = out_dir / f"{project.setup_name}.res"
    # 7-Zip adds to an existing archive, so it always writes a new file.
    with tempfile.TemporaryDirectory(dir=out_dir) as scratch:
        archive = Path(scratch, "resources.7z").resolve()
        arguments = [tools.sevenzip, "a", "-t7z", "-bd", "-bso0", "-bsp0", "-y"]
        if project.resource_password:
            # -mhe: the file names are encrypted too.
            arguments += [f"-p{project.resource_password}", "-mhe=on"]
        run_tool(arguments + [str(archive), "--", *names], resources, f"{target.name} from {resources}")
        stock = stock_dialog_files(project)
        if stock:
            run_tool(arguments + [str(archive), "--", *(p.name for p in stock)], STOCK_DIALOGS,
                     f"{target.name}: the stock pages")
        os.replace(archive, target)


def copy_data_folder(project: Project, out_dir: Path) -> None:
    source = project.path("data")
    target = out_dir / "data"
    if target.exists():
        shutil.rmtree(target)
    if source.is_dir():
        shutil.copytree(source, target)
    else:
        target.mkdir()
    # The engine recognises its setup media by a file named like the product
    # code (a maintenance run asks for the media until it finds it), so every
    # setup folder has one, also when the project has no data of its own.
    (target / project.product_code).write_bytes(b"")


def splash_picture(project: Project) -> bytes | None:
    source = project.path("setup.bmp")
    if not source.is_file():
        return None
    data = source.read_bytes()
    if data[:2] != b"BM":
        raise BuildError("setup.bmp is not a BMP picture", Where(str(source)))
    return data


def write_splash_picture(picture: bytes | None, out_dir: Path) -> None:
    target = out_dir / "setup.bmp"
    if picture is None:
        target.unlink(missing_ok=True)
    else:
        write_atomically(target, picture)


def read_inputs(project_dir: Path, engine: Path, qvx: Path | None, catalogue: Path | None,
                actions: Path | None = None) -> SetupInputs:
    """Reads and checks the project and the programs; writes nothing."""
    project = load_project(project_dir)
    sections = package_sections(project)
    check_package(sections)
    package = encode_package(sections)
    wxs = project.path("product.wxs")
    if not wxs.is_file():
        raise BuildError("the project folder has no product.wxs (the installer database source)",
                         Where(str(project_dir)))
    installer_source = check_installer_source(project, wxs, read_installer_tables(project))
    engine_bytes = read_program(engine, "engine")
    library = read_program(qvx, "archive library") if qvx else None
    if catalogue and not library:
        raise BuildError("--catalogue is appended to the archive library: give --qvx as well")
    appended = catalogue_bytes(catalogue) if catalogue else b""
    if actions:
        read_action_library(actions)
    return SetupInputs(project, package, installer_source, engine_bytes, library, appended,
                       resource_names(project), splash_picture(project), actions)


def write_setup_folder(inputs: SetupInputs, out_dir: Path, tools: Tools) -> Path:
    """Writes the setup folder; returns the setup program's path."""
    project = inputs.project
    out_dir.mkdir(parents=True, exist_ok=True)
    # Should a step below fail, no setup program of an earlier build stays
    # beside the new files.
    setup_program = out_dir / f"{project.setup_name}.exe"
    setup_program.unlink(missing_ok=True)
    if inputs.action_library is None:
        warn("no --actions given: the installer database cannot read the engine's installer property "
             "file (the script's folders and values) nor restore quotes in its Property table")
    build_installer_database(project, inputs.installer_source, out_dir, tools, inputs.action_library)
    build_resource_archive(project, inputs.resources, out_dir, tools)
    remove_outputs(out_dir)
    if project.web_media is None:
        copy_data_folder(project, out_dir)
    elif (out_dir / "data").exists():
        # The product's data travels in the web media blocks only.
        shutil.rmtree(out_dir / "data")
    write_splash_picture(inputs.picture, out_dir)
    if inputs.library is not None:
        write_atomically(out_dir / "qvx.lib", inputs.library + inputs.appended)
    else:
        warn("no --qvx given: the setup folder has no archive library (qvx.lib)")
    if project.web_media is not None:
        web = write_web_folder(project.web_media, out_dir, tools)
        setup_files = [out_dir / f"{project.setup_name}{suffix}" for suffix in (".msi", ".res")]
        setup_files += [out_dir / name for name in ("qvx.lib", "setup.bmp") if (out_dir / name).is_file()]
        medium = write_medium_folder(project.web_media, setup_files, web, out_dir)
        write_atomically(medium / setup_program.name, inputs.engine + inputs.package)
    # Last, so that a setup program stands only beside a complete folder.
    write_atomically(setup_program, inputs.engine + inputs.package)
    return setup_program


def build_setup(project_dir: Path, out_dir: Path, engine: Path, qvx: Path | None,
                catalogue: Path | None = None, tools: Tools | None = None,
                map_file: Path | None = None, actions: Path | None = None) -> Project:
    inputs = read_inputs(project_dir, engine, qvx, catalogue, actions)
    setup_program = write_setup_folder(inputs, out_dir, tools or Tools())
    project = inputs.project
    if map_file:
        map_file.write_text(line_map(project), encoding="utf-8")

    print(f"{PROGRAM}: {setup_program}: engine {len(inputs.engine)} bytes "
          f"+ package {len(inputs.package)} bytes, {len(project.lines)} script lines")
    print(header_map(project))
    return project
