"""Web media (build kind 2): the product's data split into web media blocks.

A kind-2 setup carries no data\\ folder. What a kind-1 build puts there (the
project's data/ folder) goes into 7-Zip archives, one per block, that the
engine downloads (or finds beside itself), extracts and distributes into its
web data folder, which is also the folder Windows Installer takes the
product's files from. See tools/README.md, "Web media", for the layout."""

from __future__ import annotations

import os
import re
import shutil
import tempfile
from dataclasses import dataclass, field
from pathlib import Path, PurePosixPath

from .errors import BuildError, Where, warn
from .external_programs import Tools, run_tool
from .field_syntax import split_fields, unescape
from .text import Text, is_windows_file_name

WEB_MEDIA_BUILD = "2"
# The block of the offline medium: "Apply Changes" fetches it by copying the
# medium's offline\ and mergemod\ folders.
OFFLINE_BLOCK = "OFFLINE"
ARCHIVE_EXTENSION = ".7zip"
# The engine's script line that names the block its next fetch downloads.
WEB_MEDIA_BLOCK_COMMAND = "Web Media Block"
# How the engine's variable store writes a line break inside one field.
NEWLINE = "$NEWLINE$"
URL_PATTERN = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*://\S+$")
WEB_FOLDER = "web"
MEDIUM_FOLDER = "medium"
MEDIUM_OFFLINE = "offline"
MEDIUM_MERGEMOD = "mergemod"


@dataclass
class WebBlock:
    """A block of [web media blocks]: `name` is the archive's name and its
    top folder ("OFFLINE"); scripts name the block's folder name + "\\"."""
    name: str
    password: str
    locations: list[str]
    where: Where

    @property
    def folder(self) -> str:
        return self.name + "\\"


@dataclass
class BlockContent:
    """The files of one block: (source file, path inside the archive below
    the block's top folder) pairs."""
    name: str
    files: list[tuple[Path, PurePosixPath]] = field(default_factory=list)


@dataclass
class WebMediaPlan:
    blocks: list[WebBlock]                            # declared, each gets an archive
    contents: dict[str, BlockContent]                 # by upper-case block name, OFFLINE included
    media_files: list[tuple[str, str, str]]           # the media file list triples it adds
    medium_files: list[tuple[Path, PurePosixPath]]    # offline\ and mergemod\ of the offline medium


def read_web_block(name: str, value: str, where: Where) -> WebBlock:
    """`NAME\\ = password | location | more locations`, as written in project.ini."""
    folder = name.replace("/", "\\")
    block = folder[:-1] if folder.endswith("\\") else folder
    if not is_windows_file_name(block) or "\\" in block:
        raise BuildError(f"the web media block '{name}' must be one folder name ending in '\\' "
                         "(a legal file name, for instance OFFLINE\\ or PLUGINS\\)", where)
    fields = split_fields(unescape(value, where))
    password, locations = fields[0], [f for f in fields[1:] if f]
    if not password:
        raise BuildError(f"the web media block {block}\\ needs a password: write "
                         f"'{block}\\ = password | download location'", where)
    if not all(" " <= c <= "~" for c in password):
        # The archive library gets it in the setup's code page, 7-Zip here in
        # Unicode: only ASCII reads the same on both sides.
        raise BuildError(f"the password of the web media block {block}\\ must be printable ASCII", where)
    if not locations:
        raise BuildError(f"the web media block {block}\\ has no download location: write "
                         f"'{block}\\ = password | http://host/path/{block}{ARCHIVE_EXTENSION}'", where)
    for location in locations:
        if not URL_PATTERN.match(location):
            raise BuildError(f"the download location '{location}' of the web media block {block}\\ "
                             "is not a URL such as http://host/path/" + block + ARCHIVE_EXTENSION, where)
    return WebBlock(block, password, locations, where)


def check_web_blocks(blocks: list[WebBlock], secrets: list[tuple[Text, Text]], build_kind: str,
                     settings_where: Where) -> None:
    if blocks and build_kind != WEB_MEDIA_BUILD:
        raise BuildError("[web media blocks] are for a web media build: set 'build kind = 2' in [product]",
                         blocks[0].where)
    seen: dict[str, WebBlock] = {}
    for block in blocks:
        if block.name.upper() in seen:
            raise BuildError(f"the web media block {block.folder} is declared twice", block.where)
        seen[block.name.upper()] = block
    for name, _ in secrets:
        if name.value.upper() in seen:
            raise BuildError(f"the password of {name.value} is given in [web media blocks] already; "
                             "remove it from [web media secrets]", name.where)
    if build_kind == WEB_MEDIA_BUILD and not blocks:
        warn("build kind 2 without [web media blocks]: the setup downloads nothing", settings_where)


def block_names(blocks: list[WebBlock]) -> dict[str, str]:
    """The blocks a line may fetch, by upper-case name: the declared ones and
    the offline medium's."""
    names = {OFFLINE_BLOCK.upper(): OFFLINE_BLOCK}
    names.update({block.name.upper(): block.name for block in blocks})
    return names


def data_block_setting(setting_value: str | None, where: Where, blocks: list[WebBlock]) -> str:
    """The block that carries the installer's files (default OFFLINE)."""
    value = (setting_value or OFFLINE_BLOCK + "\\").replace("/", "\\")
    name = value[:-1] if value.endswith("\\") else value
    if name.upper() not in block_names(blocks):
        raise BuildError(f"the data block {name}\\ is not a block of [web media blocks] "
                         f"(nor {OFFLINE_BLOCK}\\, the offline medium)", where)
    return block_names(blocks)[name.upper()]


def complete_script(lines: list, blocks: list[WebBlock]) -> None:
    """Checks that every line fetches a block the build makes, and gives a
    "Web Media Block" line without download locations its block's ones."""
    names = block_names(blocks)
    declared = {block.name.upper(): block for block in blocks}
    for line in lines:
        if line.commented:
            continue
        if line.media and line.media[:-1].upper() not in names:
            raise BuildError(f"the media folder {line.media} of this line is no web media block; "
                             "declare it under [web media blocks] in project.ini", line.where)
        if line.command != WEB_MEDIA_BLOCK_COMMAND or not line.fields:
            continue
        block = declared.get(line.fields[0].upper())
        if block is None:
            raise BuildError(f"'{line.fields[0]}' is no block of [web media blocks] (a block is named "
                             "without its final backslash here, as its archive is)", line.where)
        if len(line.fields) < 2 or not line.fields[1]:
            line.fields[1:2] = [NEWLINE.join(block.locations)]
    named = {line.fields[0].upper() for line in lines
             if not line.commented and line.command == WEB_MEDIA_BLOCK_COMMAND and line.fields}
    for block in blocks:
        if block.name.upper() not in named:
            warn(f"no '{WEB_MEDIA_BLOCK_COMMAND}' line names {block.name}: the engine fetches a block "
                 "from the locations of the last such line", block.where)


def data_files(data_folder: Path) -> list[PurePosixPath]:
    if not data_folder.is_dir():
        return []
    return sorted(PurePosixPath(p.relative_to(data_folder).as_posix())
                  for p in data_folder.rglob("*") if p.is_file())


def distribution_folders(relative_folders: list[str], taken: set[str]) -> dict[str, str]:
    """A folder of eight hexadecimal digits inside the archive for each
    destination folder, not named like anything else at the archive's top."""
    names: dict[str, str] = {}
    number = 0
    for folder in sorted(set(relative_folders)):
        number += 1
        while f"{number:08X}" in taken:
            number += 1
        names[folder] = f"{number:08X}"
    return names


def check_unique(paths: list[PurePosixPath], what: str, where: Where) -> None:
    """Windows compares file names without their case."""
    seen: dict[str, PurePosixPath] = {}
    for path in paths:
        key = str(path).upper()
        if key in seen and seen[key] != path:
            raise BuildError(f"{what} would hold both {seen[key]} and {path}, which are one file on Windows",
                             where)
        seen[key] = path


def plan_web_media(data_folder: Path, blocks: list[WebBlock], data_block: str) -> WebMediaPlan:
    """Which file of data/ goes into which archive, where the engine puts it,
    and where it lies on the offline medium:
    - data/<BLOCK>/rest, for a block's folder: <BLOCK>/rest in the block's
      archive, which the engine keeps as <web data folder>\\<BLOCK>\\rest;
    - any other data/<folder>/name: <DATA BLOCK>/<8 hex>/name in the data
      block's archive, and a media file list triple that moves it to
      <web data folder>\\<folder>\\name, where Windows Installer looks."""
    names = block_names(blocks)
    where = Where(str(data_folder))
    contents = {key: BlockContent(name) for key, name in names.items()}
    distributed: list[tuple[Path, PurePosixPath]] = []
    for relative in data_files(data_folder):
        top = relative.parts[0].upper()
        if len(relative.parts) > 1 and top in contents:
            contents[top].files.append((data_folder / relative, PurePosixPath(*relative.parts[1:])))
        else:
            distributed.append((data_folder / relative, relative))
    medium_files = [(source, PurePosixPath(MEDIUM_OFFLINE, inside))
                    for source, inside in contents[OFFLINE_BLOCK.upper()].files]
    check_unique([r for _, r in distributed], "the web data folder", where)

    carrier = contents[data_block.upper()]
    taken = {str(r.parts[0]).upper() for _, r in carrier.files}
    folders = distribution_folders([str(r.parent) if r.parent != PurePosixPath(".") else ""
                                    for _, r in distributed], taken)
    media_files: list[tuple[str, str, str]] = []
    for source, relative in distributed:
        folder = str(relative.parent) if relative.parent != PurePosixPath(".") else ""
        hex_folder = folders[folder]
        carrier.files.append((source, PurePosixPath(hex_folder, relative.name)))
        windows_folder = folder.replace("/", "\\") + "\\" if folder else ""
        media_files.append((carrier.name, f"{hex_folder}\\{relative.name}", windows_folder))
        if carrier.name.upper() == OFFLINE_BLOCK.upper():
            medium_files.append((source, PurePosixPath(MEDIUM_MERGEMOD, relative)))
    for content in contents.values():
        check_unique([inside for _, inside in content.files], f"the archive {content.name}", where)
    return WebMediaPlan(blocks, contents, media_files, medium_files)


def build_block_archive(block: WebBlock, content: BlockContent, target: Path, tools: Tools) -> None:
    """The block's archive: everything under one top folder named like the
    block; names and contents encrypted with the block's password."""
    with tempfile.TemporaryDirectory(dir=target.parent) as scratch:
        top = Path(scratch, "files", block.name)
        top.mkdir(parents=True)
        for source, inside in content.files:
            copy = top.joinpath(*inside.parts)
            copy.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(source, copy)
        archive = Path(scratch, block.name + ".7z").resolve()
        run_tool([tools.sevenzip, "a", "-t7z", "-bd", "-bso0", "-bsp0", "-y", f"-p{block.password}", "-mhe=on",
                  str(archive), "--", block.name], top.parent, target.name)
        os.replace(archive, target)


def write_web_folder(plan: WebMediaPlan, out_dir: Path, tools: Tools) -> Path:
    """out_dir/web/: one archive per declared block, to be published at its
    download locations."""
    web = out_dir / WEB_FOLDER
    web.mkdir()
    for block in plan.blocks:
        build_block_archive(block, plan.contents[block.name.upper()], web / (block.name + ARCHIVE_EXTENSION), tools)
    return web


def write_medium_folder(plan: WebMediaPlan, setup_files: list[Path], web: Path, out_dir: Path) -> Path:
    """out_dir/medium/ without its setup program: the setup as an offline
    medium (a CD, a share). The engine copies offline\\ and mergemod\\ for
    the block OFFLINE\\ and takes the other blocks' archives lying beside the
    setup program."""
    medium = out_dir / MEDIUM_FOLDER
    medium.mkdir()
    for folder in (MEDIUM_OFFLINE, MEDIUM_MERGEMOD):
        (medium / folder).mkdir()
    for source, inside in plan.medium_files:
        copy = medium.joinpath(*inside.parts)
        copy.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(source, copy)
    for block in plan.blocks:
        if block.name.upper() != OFFLINE_BLOCK.upper():
            archive = block.name + ARCHIVE_EXTENSION
            shutil.copyfile(web / archive, medium / archive)
    for source in setup_files:
        shutil.copyfile(source, medium / source.name)
    return medium


def remove_outputs(out_dir: Path) -> None:
    """What a kind-2 build of an earlier day left."""
    for name in (WEB_FOLDER, MEDIUM_FOLDER):
        if (out_dir / name).exists():
            shutil.rmtree(out_dir / name)
