#!/usr/bin/env python3
"""Turns a readable project folder into a runnable Quillmore setup folder.

    python3 tools/quillmore_build.py PROJECT_DIR OUT_DIR --engine quillmore.exe
        [--qvx qvx.lib] [--catalogue catalogue.txt] [--map FILE]
        [--wixl PATH] [--7zz PATH]

The project folder format and the setup folder it produces are described in
tools/README.md. Python 3 standard library only; runs on the build machine.
Exit code 0 on success, 1 when the project (or a tool it runs) fails, 2 for
a wrong command line.
"""

from __future__ import annotations

import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import uuid
import xml.parsers.expat
from dataclasses import dataclass, field
from pathlib import Path

PROGRAM = "quillmore_build"

# The package is 8-bit text in the ANSI code page of the machines it runs on.
CODE_PAGE = "cp1252"
LINE_END = "\r\n"
END_MARKER = "$"          # a line holding only this ends a list section
DOLLAR_ENTRY = "$DOLLAR$"  # how a parameter field that is exactly "$" is written
PREDEFINED_COMPONENT = "VRAK-PREDEF-COMPONENT"
COMMENTED_STATE = "C"

# Script text syntax.
FIELD_SEPARATOR = "|"
ESCAPE = "`"
ESCAPABLE = {"|", "`", "#", ";", "[", " ", "\t"}
COMMENTED_MARK = "#"
NOTE_MARK = ";"
BLANKS = " \t"

# The commands that change the machine through Windows Installer. Each of
# their lines needs a command header; the rows of the installer database are
# conditioned on the property "A" + header and read "P" + header + "_" + n.
# Value: how many value properties ("P" + header + "_1" ...) the line records.
DEFERRED_COMMANDS = {
    "Write Registry": 3,
    "Create File Type": 5,
    "Advertised File Type": 0,
    "Create Folder": 1,
    "Create Shortcut": 4,
    "Advertised Shortcut": 4,
    "Copy/Move Local Files": 2,
    "Delete Files": 1,
    "Edit INI File": 4,
    "Set Environment": 1,
    "Install Files": 1,
    "Install Assembly": 1,
    "Control Service": 2,
    "Create ODBC DSN": 0,
    "Install ODBC Driver": 1,
    "Install Service": 9,
}

# The highest field number the engine reads for each built-in command (at run
# time, in the validator or at start-up). The field accessor does not check a
# record's length: a record shorter than this would hand the command the next
# record's entries, so every record is padded with empty fields to this count.
FIELDS_READ = {
    # control flow
    "If": 4, "Else If": 4, "Else": 0, "End": 0, "Wizard Loop": 0,
    "GoTo Label": 1, "Label": 1, "Terminate Install": 0,
    "Terminate with Exit Code": 1, "Reboot Computer": 0, "Reboot and Resume": 0,
    # variables and expressions
    "Set Variable": 2, "Evaluate Expression": 2, "Localization Variable": 2,
    # registry
    "Read Registry": 4, "Check Registry": 4, "Write Registry": 5, "Delete Registry": 4,
    "Set 64 Bit Mode": 3,
    # files, folders, INI files, environment
    "Create Folder": 1, "Delete Files": 4, "Delete Files Recursive": 1,
    "Copy/Move Local Files": 3, "Edit INI File": 6, "Install Files": 3, "Set Environment": 2,
    # shortcuts and file types
    "Create Shortcut": 6, "Advertised Shortcut": 6, "Create File Type": 5,
    "Advertised File Type": 3,
    # services, processes, programs
    "Check Process": 2, "Terminate Program": 2, "Check Service": 3, "Control Service": 2,
    "Install Service": 15, "Run Program": 5, "Run Program As": 10, "Register Library": 3,
    # IIS
    "Create IIS Site": 15, "Delete IIS Site": 1, "Control IIS Site": 2,
    "Create Virtual Folder": 18, "Delete Virtual Folder": 2, "Get IIS Site List": 1,
    "Get IIS Site Index": 2, "Get IIS Property": 6, "Set IIS Property": 6,
    "IIS Anonymous User": 1,
    # .NET and ODBC
    "Install Assembly": 3, "Register Assembly": 1, "Remove Assemblies": 0,
    "Generate Native Images": 1, "Run .NET Installer Class": 2, "Create ODBC DSN": 0,
    "Install ODBC Driver": 4,
    # shares, access control, scheduled tasks
    "Create Share": 3, "Delete Share": 1, "Set Access Control": 16, "Schedule Task": 14,
    "Delete Scheduled Task": 2,
    # strings, paths, arithmetic
    "Convert Path": 2, "Convert Case": 2, "Replace String": 5, "Parse String": 7,
    "Extract Path": 2, "Mathematics": 4, "Get Temporary File": 1, "Get Environment": 2,
    # system queries
    "Get System Settings": 2, "Get OS or SP Level": 2, "Get Folder Location": 3,
    "Check Disk Space": 3, "Is MSI Setup Installed": 2,
    # file queries and text files
    "Does File/Folder Exist": 3, "Find All Files": 4, "Get File Version": 2,
    "Check File Version": 5, "Read from Text File": 3, "Write to Text File": 3,
    "Get INI File Settings": 4,
    # components and feature selections
    "Define Component": 3, "Delete Component": 1, "Get Component State": 2,
    "Set Component State": 2, "Get Component Space": 2, "Set Component Space": 2,
    "Set Component Choice": 2, "Set Component Visibility": 2,
    "Save Feature Selections": 1, "Load Feature Selections": 1, "Transform Instance": 0,
    # messages
    "MessageBox": 5, "MessageBalloon": 4, "System Tray": 4,
    # wizard
    "Display Dialog": 6, "Hide Dialog": 0,
    # Windows Installer
    "Apply Changes": 4, "Apply Patch": 3,
    # media
    "Web Media Block": 2, "Extract 7Zip Archive": 6, "Run Light Mode Setup": 4,
}

# A plug-in command's line hands field 1 to the library and names the
# library's file in field 2.
PLUGIN_FIELDS_READ = 2

GUID_PATTERN = re.compile(
    r"^(\{)?([0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12})(?(1)\})$")
HEADER_PATTERN = re.compile(r"^[0-9A-Fa-f]{1,8}$")
MEDIA_PATH_PATTERN = re.compile(r"^[0-9A-Fa-f]{8}\\[^\\]+")
INT32_MIN, INT32_MAX = -(2 ** 31), 2 ** 31 - 1

# Installer properties named after command headers, as the product's
# installer database uses them: formatted references "[A3F2A]", "[P3F2A_1]"
# anywhere, and bare names in conditions.
FORMATTED_REFERENCE = re.compile(r"\[(A[0-9A-Fa-f]{1,8}|P[0-9A-Fa-f]{1,8}_[0-9])\]")
CONDITION_REFERENCE = re.compile(r"(?<![\w.\[])(A[0-9A-Fa-f]{1,8}|P[0-9A-Fa-f]{1,8}_[0-9])(?![\w.])")


# ---------------------------------------------------------------------------
# Errors and places


@dataclass(frozen=True)
class Where:
    """A place in the project: a file and, when known, a line of it."""
    path: str
    line: int | None = None

    def __str__(self) -> str:
        return f"{self.path}:{self.line}" if self.line else self.path


class BuildError(Exception):
    def __init__(self, message: str, where: Where | None = None):
        super().__init__(message)
        self.message = message
        self.where = where

    def __str__(self) -> str:
        return f"{self.where}: {self.message}" if self.where else self.message


@dataclass(frozen=True)
class Text:
    """A package entry with the place it comes from, for error messages."""
    value: str
    where: Where | None = None


def warn(message: str, where: Where | None = None) -> None:
    prefix = f"{where}: " if where else ""
    print(f"{PROGRAM}: warning: {prefix}{message}", file=sys.stderr)


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


# ---------------------------------------------------------------------------
# Fields: the separated form shared by script lines and the media file table


def unescape(text: str, where: Where) -> list[tuple[str, bool]]:
    """Characters with a flag telling whether they were escaped (taken literally)."""
    chars: list[tuple[str, bool]] = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == ESCAPE:
            if i + 1 == len(text):
                raise BuildError(f"a {ESCAPE} at the end of the line escapes nothing "
                                 f"(write {ESCAPE}{ESCAPE} for a backquote)", where)
            following = text[i + 1]
            if following not in ESCAPABLE:
                raise BuildError(f"unknown escape {ESCAPE}{following}: a backquote escapes only "
                                 f"| ` # ; [ and blanks (write {ESCAPE}{ESCAPE} for a backquote)", where)
            chars.append((following, True))
            i += 2
        else:
            chars.append((c, False))
            i += 1
    return chars


def trimmed(chars: list[tuple[str, bool]]) -> str:
    """The text of chars without the blanks at its ends that were not escaped."""
    start, end = 0, len(chars)
    while start < end and chars[start][0] in BLANKS and not chars[start][1]:
        start += 1
    while end > start and chars[end - 1][0] in BLANKS and not chars[end - 1][1]:
        end -= 1
    return "".join(c for c, _ in chars[start:end])


def split_fields(chars: list[tuple[str, bool]]) -> list[str]:
    pieces: list[list[tuple[str, bool]]] = [[]]
    for c, escaped in chars:
        if c == FIELD_SEPARATOR and not escaped:
            pieces.append([])
        else:
            pieces[-1].append((c, escaped))
    return [trimmed(piece) for piece in pieces]


# ---------------------------------------------------------------------------
# project.ini


@dataclass
class Setting:
    value: str
    where: Where


@dataclass
class Settings:
    product: dict[str, Setting] = field(default_factory=dict)
    publisher: dict[str, Setting] = field(default_factory=dict)
    plugin_commands: list[Text] = field(default_factory=list)
    field_counts: dict[str, tuple[int, Where]] = field(default_factory=dict)
    web_media_secrets: list[tuple[Text, Text]] = field(default_factory=list)
    components: list[tuple[Text, Text]] = field(default_factory=list)
    media_files: list[tuple[Text, Text, Text]] = field(default_factory=list)
    build_constants: list[tuple[Text, Text]] = field(default_factory=list)


PRODUCT_KEYS = {"code", "title", "revision", "setup name", "build kind", "language dialog",
                "default language", "resource password", "check headers"}
PUBLISHER_KEYS = ["publisher", "contact", "help link", "update link", "comments", "version"]
LIST_SECTIONS = {"plug-in commands", "field counts", "web media secrets", "components",
                 "media files", "build constants"}


def simple_name(text: str) -> str:
    return " ".join(text.lower().split())


def read_settings(path: Path) -> Settings:
    settings = Settings()
    section: str | None = None
    seen_sections: set[str] = set()
    for number, line in read_lines(path):
        where = Where(str(path), number)
        stripped = line.strip(BLANKS)
        if not stripped or stripped[0] in ";#":
            continue
        if stripped.startswith("["):
            if not stripped.endswith("]"):
                raise BuildError("a section header must end with ']'", where)
            section = simple_name(stripped[1:-1])
            if section not in {"product", "publisher"} | LIST_SECTIONS:
                known = ", ".join(f"[{s}]" for s in ["product", "publisher", *sorted(LIST_SECTIONS)])
                raise BuildError(f"unknown section [{stripped[1:-1].strip()}]; the sections are {known}", where)
            if section in seen_sections:
                raise BuildError(f"the section [{section}] appears twice", where)
            seen_sections.add(section)
            continue
        if section is None:
            raise BuildError("a setting before the first [section] header", where)
        if section in ("product", "publisher"):
            read_value_setting(settings, section, stripped, where)
        else:
            read_list_entry(settings, section, stripped, where)
    return settings


def name_and_value(line: str, where: Where, what: str) -> tuple[str, str]:
    if "=" not in line:
        raise BuildError(f"expected '{what}'", where)
    name, value = line.split("=", 1)
    return name.strip(BLANKS), value.strip(BLANKS)


def read_value_setting(settings: Settings, section: str, line: str, where: Where) -> None:
    key, value = name_and_value(line, where, "name = value")
    key = simple_name(key)
    table = settings.product if section == "product" else settings.publisher
    known = PRODUCT_KEYS if section == "product" else set(PUBLISHER_KEYS)
    if key not in known:
        raise BuildError(f"unknown setting '{key}' in [{section}]; the settings are "
                         + ", ".join(sorted(known)), where)
    if key in table:
        raise BuildError(f"'{key}' is set twice (first at line {table[key].where.line})", where)
    table[key] = Setting(value, where)


def read_list_entry(settings: Settings, section: str, line: str, where: Where) -> None:
    if section == "plug-in commands":
        settings.plugin_commands.append(Text(line, where))
    elif section == "media files":
        fields = split_fields(unescape(line, where))
        if len(fields) != 3:
            raise BuildError("a media file is written 'media | path | folder' "
                             f"(three fields, found {len(fields)})", where)
        settings.media_files.append(tuple(Text(f, where) for f in fields))  # type: ignore[arg-type]
    else:
        name, value = name_and_value(line, where, "name = value")
        if not name:
            raise BuildError("the name before '=' is empty", where)
        if section == "field counts":
            if not value.isdigit():
                raise BuildError(f"the field count of '{name}' must be a number, not '{value}'", where)
            if name in settings.field_counts:
                raise BuildError(f"the field count of '{name}' is given twice", where)
            settings.field_counts[name] = (int(value), where)
        elif section == "web media secrets":
            settings.web_media_secrets.append((Text(name, where), Text(value, where)))
        elif section == "components":
            settings.components.append((Text(name, where), Text(value, where)))
        elif section == "build constants":
            settings.build_constants.append((Text(name, where), Text(value, where)))


# ---------------------------------------------------------------------------
# script.txt


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
    i = 0

    def skip_blanks() -> None:
        nonlocal i
        while i < len(chars) and chars[i][0] in BLANKS and not chars[i][1]:
            i += 1

    skip_blanks()
    commented = i < len(chars) and chars[i] == (COMMENTED_MARK, False)
    if commented:
        i += 1
        skip_blanks()

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
        if key not in ("header", "id", "media"):
            raise BuildError(f"unknown option [{option}]; the options are [header=...], [id=...] "
                             "and [media=...]", where)
        if key in options:
            raise BuildError(f"the option [{key}=...] is given twice", where)
        options[key] = value
        i = close + 1
        skip_blanks()

    parts = split_fields(chars[i:])
    command, fields = parts[0], parts[1:]
    if not command:
        raise BuildError("the line has no command name", where)
    line = ScriptLine(index=index, where=where, command=command, fields=fields, commented=commented)

    if "header" in options:
        header = options["header"]
        if not HEADER_PATTERN.match(header):
            raise BuildError(f"the command header '{header}' must be 1 to 8 hexadecimal digits", where)
        line.header = header
    if "id" in options:
        line.identifier = normalize_guid(options["id"], where, "line identifier")
    if "media" in options:
        line.media = media_folder(options["media"])
    return line


def media_folder(text: str) -> str:
    """A relative media folder always ends in a backslash."""
    return text if not text or text.endswith("\\") else text + "\\"


# ---------------------------------------------------------------------------
# The project


@dataclass
class Project:
    folder: Path
    settings: Settings
    lines: list[ScriptLine]
    product_code: str
    revision_code: str
    setup_name: str
    build_kind: str
    language_dialog: str
    default_language: str
    resource_password: str
    check_headers: bool
    settings_where: Where

    def path(self, name: str) -> Path:
        return self.folder / name


def truth_setting(setting: Setting | None, default: bool) -> bool:
    if setting is None or setting.value == "":
        return default
    value = setting.value.lower()
    if value in ("true", "yes", "on", "1"):
        return True
    if value in ("false", "no", "off", "0"):
        return False
    raise BuildError(f"expected yes or no, not '{setting.value}'", setting.where)


def load_project(folder: Path) -> Project:
    settings_path = folder / "project.ini"
    script_path = folder / "script.txt"
    for required in (settings_path, script_path):
        if not required.is_file():
            raise BuildError(f"the project folder has no {required.name}", Where(str(folder)))
    settings = read_settings(settings_path)
    settings_where = Where(str(settings_path))
    product = settings.product

    def required(key: str) -> Setting:
        if key not in product or product[key].value == "":
            raise BuildError(f"[product] needs '{key} = ...'", settings_where)
        return product[key]

    code = required("code")
    revision = required("revision")
    required("title")
    product_code = normalize_guid(code.value, code.where, "product code")
    revision_code = normalize_guid(revision.value, revision.where, "revision code")

    name_setting = product.get("setup name")
    setup_name = name_setting.value if name_setting and name_setting.value else "setup"
    if not is_windows_file_name(setup_name):
        raise BuildError(f"the setup name '{setup_name}' is not a usable Windows file name",
                         name_setting.where if name_setting else settings_where)

    kind_setting = product.get("build kind")
    build_kind = "1"
    if kind_setting and kind_setting.value:
        if not re.fullmatch(r"-?[0-9]+", kind_setting.value) or \
                not INT32_MIN <= int(kind_setting.value) <= INT32_MAX:
            raise BuildError(f"the build kind must be a whole number (2: web media, 3: works from "
                             f"the installed product, other: ordinary), not '{kind_setting.value}'",
                             kind_setting.where)
        build_kind = str(int(kind_setting.value))

    language_dialog = "TRUE" if truth_setting(product.get("language dialog"), False) else "FALSE"
    language = product.get("default language")
    password = product.get("resource password")

    project = Project(
        folder=folder, settings=settings, lines=read_script(script_path),
        product_code=product_code, revision_code=revision_code, setup_name=setup_name,
        build_kind=build_kind, language_dialog=language_dialog,
        default_language=language.value if language and language.value else "English",
        resource_password=password.value if password else "",
        check_headers=truth_setting(product.get("check headers"), True),
        settings_where=settings_where)
    check_tables(project)
    assign_identifiers(project)
    assign_headers(project)
    assign_record_lengths(project)
    return project


def check_tables(project: Project) -> None:
    settings = project.settings
    components = settings.components
    if components and components[0][0].value != PREDEFINED_COMPONENT:
        raise BuildError(f"the first component must be {PREDEFINED_COMPONENT} (the predefined "
                         f"component), not '{components[0][0].value}'", components[0][0].where)
    seen: dict[str, Where | None] = {}
    for name, size in components:
        if name.value != name.value.upper():
            raise BuildError(f"component names are upper case: write {name.value.upper()}", name.where)
        if not size.value.isdigit():
            raise BuildError(f"the size of {name.value} must be a number of bytes, not '{size.value}'",
                             size.where)
        if name.value in seen:
            raise BuildError(f"the component {name.value} is listed twice", name.where)
        seen[name.value] = name.where

    first_secret: dict[str, Where | None] = {}
    for name, _ in settings.web_media_secrets:
        key = name.value.lower()
        if key in first_secret:
            raise BuildError(f"the web media block '{name.value}' has two secrets", name.where)
        first_secret[key] = name.where

    constants: set[str] = set()
    for name, _ in settings.build_constants:
        if "#" in name.value:
            raise BuildError(f"a build constant name cannot hold '#': it is written #{name.value}# "
                             "in the script", name.where)
        if name.value.upper() in constants:
            raise BuildError(f"the build constant {name.value} is defined twice", name.where)
        constants.add(name.value.upper())

    for media, path, _ in settings.media_files:
        if not media.value:
            raise BuildError("a media file needs the name of its media (for instance OFFLINE)", media.where)
        if not MEDIA_PATH_PATTERN.match(path.value):
            raise BuildError(f"the media file path '{path.value}' must be a folder named by eight "
                             "hexadecimal digits, a backslash and the file name", path.where)

    names = [c.value.lower() for c in settings.plugin_commands]
    for command in settings.plugin_commands:
        if names.count(command.value.lower()) > 1:
            raise BuildError(f"the plug-in command '{command.value}' is listed twice", command.where)


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
    taken: dict[str, ScriptLine] = {}
    for line in project.lines:
        if line.identifier:
            other = taken.get(line.identifier)
            if other:
                raise BuildError(f"the line identifier {line.identifier} is also given to line "
                                 f"{other.where.line}", line.where)
            taken[line.identifier] = line
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


def assign_headers(project: Project) -> None:
    """Command headers: named by the author ([header=...]) or, for the lines of
    the deferred commands, generated from the product code, the command name
    and how many lines of that command precede the line."""
    indexes = {str(line.index) for line in project.lines}
    taken: dict[str, ScriptLine] = {}
    for line in project.lines:
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
    for line, n in zip(project.lines, occurrences(project.lines)):
        if line.header is not None or line.command not in DEFERRED_COMMANDS:
            continue
        attempt = 0
        while True:
            digest = hashlib.sha1("\n".join(
                [project.product_code, line.command, str(n), str(attempt)]).encode("utf-8")).hexdigest()
            header = digest[:8].upper()
            if header not in taken and not header.isdigit():
                break
            attempt += 1
        line.header = header
        line.header_generated = True
        taken[header] = line


def expected_fields(project: Project, command: str) -> tuple[int | None, bool]:
    """How many fields the engine reads for a command, and whether more are a mistake."""
    declared = project.settings.field_counts.get(command)
    if declared is not None:
        return declared[0], True
    if command in FIELDS_READ:
        # The deferred commands' other fields are for the installer database's
        # author; the engine ignores them.
        return FIELDS_READ[command], command not in DEFERRED_COMMANDS
    if command.lower() in (c.value.lower() for c in project.settings.plugin_commands):
        return PLUGIN_FIELDS_READ, True
    return None, False


def assign_record_lengths(project: Project) -> None:
    """Every record gets at least the fields its command reads: the count of
    the command (or the count declared under [field counts]), else the most
    fields any line of that command wrote. A record is never shorter than its
    own line wrote."""
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


# ---------------------------------------------------------------------------
# The package


@dataclass
class Section:
    name: str
    entries: list[Text]
    is_list: bool
    record_starts: frozenset[int] = frozenset()  # parameter list: where each record begins


# Archive passwords are kept scrambled in the web media secret table; the
# engine reads them back with the same key (engine/secret_text.cpp).
SECRET_KEY = bytes([0x51, 0x75, 0x69, 0x6C, 0x6C, 0x6D, 0x6F, 0x72,
                    0x65, 0x9A, 0x3C, 0xD7, 0x28, 0xB1, 0x46, 0xE3])


def scramble_secret(password: str) -> str:
    data = password.encode("cp1252")
    return "".join("%02X" % (b ^ SECRET_KEY[i % 16] ^ ((i * 31) & 0xFF)) for i, b in enumerate(data))


def secret_table(project: Project) -> list[Text]:
    """The web media secrets, scrambled, and the resource archive's password
    under the archive's file name."""
    entries: list[Text] = []
    for name, password in project.settings.web_media_secrets:
        entries += [name, Text(scramble_secret(password.value), password.where)]
    if project.resource_password:
        entries += [Text(f"{project.setup_name}.res", project.settings_where),
                    Text(scramble_secret(project.resource_password), project.settings_where)]
    return entries


def package_sections(project: Project) -> list[Section]:
    settings = project.settings
    where = project.settings_where
    lines = project.lines

    parameters: list[Text] = []
    record_starts: set[int] = set()
    for line in lines:
        if line.record_length == 0:
            continue
        record_starts.add(len(parameters))
        parameters.append(Text(line.identifier or "", line.where))
        values = line.fields + [""] * (line.record_length - len(line.fields))
        parameters.extend(Text(DOLLAR_ENTRY if v == END_MARKER else v, line.where) for v in values)

    def value(section: dict[str, Setting], key: str, default: str = "") -> Text:
        setting = section.get(key)
        return Text(setting.value, setting.where) if setting else Text(default, where)

    def pairs(table: list[tuple[Text, Text]]) -> list[Text]:
        return [entry for pair in table for entry in pair]

    components = pairs(settings.components) or [Text(PREDEFINED_COMPONENT, where), Text("0", where)]
    media_files = [Text(media_folder(e.value), e.where) if i == 2 else e
                   for triple in settings.media_files for i, e in enumerate(triple)]
    headers = [entry for line in lines if line.header is not None
               for entry in (Text(line.header, line.where), Text(str(line.index), line.where))]

    return [
        Section("command list", [Text(line.command, line.where) for line in lines], True),
        Section("line identifier list", [Text(line.identifier or "", line.where) for line in lines], True),
        Section("parameter list", parameters, True, frozenset(record_starts)),
        Section("line state list", [Text(COMMENTED_STATE if line.commented else "", line.where)
                                    for line in lines], True),
        Section("product code", [Text(project.product_code, settings.product["code"].where)], False),
        Section("product title", [value(settings.product, "title")], False),
        Section("plug-in command list", list(settings.plugin_commands), True),
        Section("publisher lines", [value(settings.publisher, key) for key in PUBLISHER_KEYS], False),
        Section("web media secret table", secret_table(project), True),
        Section("line media folder list", [Text(line.media, line.where) for line in lines], True),
        Section("build kind", [Text(project.build_kind, where)], False),
        Section("component size list", components, True),
        Section("revision code", [Text(project.revision_code, settings.product["revision"].where)], False),
        Section("media file list", media_files, True),
        Section("language dialog flag", [Text(project.language_dialog, where)], False),
        Section("default language", [Text(project.default_language, where)], False),
        Section("command header list", headers, True),
        Section("build constant list", pairs(settings.build_constants), True),
    ]


def check_package(sections: list[Section]) -> None:
    """What the engine relies on when it reads the package."""
    by_name = {section.name: section for section in sections}
    line_count = len(by_name["command list"].entries)
    for name in ("line identifier list", "line state list", "line media folder list"):
        if len(by_name[name].entries) != line_count:
            raise BuildError(f"the {name} has {len(by_name[name].entries)} entries for "
                             f"{line_count} script lines")

    identifiers: dict[str, Text] = {}
    for entry in by_name["line identifier list"].entries:
        key = entry.value.upper()
        if key in identifiers:
            raise BuildError(f"the line identifier {entry.value} is used twice", entry.where)
        identifiers[key] = entry

    parameters = by_name["parameter list"]
    recorded: set[str] = set()
    for position, entry in enumerate(parameters.entries):
        key = entry.value.upper()
        if position in parameters.record_starts:
            if key not in identifiers or key in recorded:
                raise BuildError(f"the record of {entry.value} does not belong to one script line",
                                 entry.where)
            recorded.add(key)
        elif key in identifiers:
            raise BuildError(f"the field '{entry.value}' equals the identifier of the script line at "
                             f"{identifiers[key].where}; the engine would take it for that line's "
                             "record", entry.where)

    headers = by_name["command header list"].entries
    for header, index in zip(headers[0::2], headers[1::2]):
        if not index.value.isdigit() or int(index.value) >= line_count:
            raise BuildError(f"the command header {header.value} names line index {index.value}, "
                             "which is not a script line", header.where)

    for section in sections:
        for entry in section.entries:
            if "\r" in entry.value or "\n" in entry.value:
                raise BuildError(f"the {section.name} cannot hold a line break", entry.where)
            if section.is_list and entry.value == END_MARKER:
                raise BuildError(f"an entry of the {section.name} cannot be exactly '$': "
                                 "a line holding only '$' ends a list", entry.where)


def package_text(sections: list[Section]) -> str:
    lines: list[str] = []
    for section in sections:
        lines.extend(entry.value for entry in section.entries)
        if section.is_list:
            lines.append(END_MARKER)
    return "".join(line + LINE_END for line in lines)


def encode_package(sections: list[Section]) -> bytes:
    for section in sections:
        for entry in section.entries:
            try:
                entry.value.encode(CODE_PAGE)
            except UnicodeEncodeError as error:
                bad = entry.value[error.start]
                raise BuildError(f"the character '{bad}' (U+{ord(bad):04X}) in the {section.name} "
                                 "cannot be written in the setup's 8-bit code page (Windows-1252)",
                                 entry.where) from None
    return package_text(sections).encode(CODE_PAGE)


# ---------------------------------------------------------------------------
# The installer database source


@dataclass
class ComponentCondition:
    """A <Condition> inside a <Component>, which wixl cannot build: the tool
    builds the database without it and writes it into the Component table."""
    component: str
    condition: str
    start: int  # the element's bytes in product.wxs
    end: int
    where: Where


@dataclass
class InstallerSource:
    data: bytes
    product_id: tuple[str, Where] | None = None
    references: list[tuple[str, Where]] = field(default_factory=list)
    component_conditions: list[ComponentCondition] = field(default_factory=list)

    def without_component_conditions(self) -> bytes:
        out, at = [], 0
        for condition in self.component_conditions:
            out += [self.data[at:condition.start]]
            at = condition.end
        return b"".join(out + [self.data[at:]])


def read_installer_source(path: Path) -> InstallerSource:
    """The product code, the header properties and the component conditions of product.wxs."""
    try:
        source = InstallerSource(path.read_bytes())
    except OSError as error:
        raise BuildError(f"cannot read the file: {error.strerror}", Where(str(path))) from None
    parser = xml.parsers.expat.ParserCreate()
    # Open elements: local name, attributes, where the start tag begins.
    elements: list[tuple[str, dict[str, str], int]] = []
    condition_parts: list[list[str]] = []

    def here() -> Where:
        return Where(str(path), parser.CurrentLineNumber)

    def local(name: str) -> str:
        return name.rsplit(":", 1)[-1]

    def scan(text: str, pattern: re.Pattern[str], where: Where) -> None:
        source.references.extend((m.group(1), where) for m in pattern.finditer(text))

    def start(name: str, attributes: dict[str, str]) -> None:
        element = local(name)
        elements.append((element, attributes, parser.CurrentByteIndex))
        if element == "Product" and "Id" in attributes:
            source.product_id = (attributes["Id"], here())
        for key, value in attributes.items():
            scan(value, FORMATTED_REFERENCE, here())
            if local(key) == "Condition":
                scan(value, CONDITION_REFERENCE, here())
        if element == "Condition":
            condition_parts.append([])

    def end(name: str) -> None:
        element, attributes, begin = elements.pop()
        if element != "Condition":
            return
        condition = "".join(condition_parts.pop()).strip()
        where = here()
        scan(condition, CONDITION_REFERENCE, where)
        if not elements or elements[-1][0] != "Component":
            return
        component = elements[-1][1].get("Id")
        if not component:
            raise BuildError("a Component with a Condition needs an Id", where)
        if any(c.component == component for c in source.component_conditions):
            raise BuildError(f"the Component {component} has two Conditions", where)
        finish = source.data.index(b">", parser.CurrentByteIndex) + 1
        source.component_conditions.append(ComponentCondition(component, condition, begin, finish, where))

    def text(data: str) -> None:
        if condition_parts:
            condition_parts[-1].append(data)
        else:
            scan(data, FORMATTED_REFERENCE, here())

    parser.StartElementHandler = start
    parser.EndElementHandler = end
    parser.CharacterDataHandler = text
    try:
        parser.Parse(source.data, True)
    except xml.parsers.expat.ExpatError as error:
        raise BuildError(f"not well-formed XML: {xml.parsers.expat.errors.messages[error.code]}",
                         Where(str(path), error.lineno)) from None
    for condition in source.component_conditions:
        if "'" in condition.condition:
            raise BuildError("a component condition cannot hold a single quote (\'); write "
                             "texts in double quotes", condition.where)
        if len(condition.condition) > 255:
            raise BuildError("a component condition is limited to 255 characters", condition.where)
    return source


def check_installer_source(project: Project, path: Path) -> InstallerSource:
    source = read_installer_source(path)
    if source.product_id:
        product_id, where = source.product_id
        if product_id == "*":
            raise BuildError(f"the Product Id must be the product code {project.product_code[1:-1]}, "
                             "not '*' (the setup finds the product by its code)", where)
        match = GUID_PATTERN.match(product_id)
        if match and "{" + match.group(2).upper() + "}" != project.product_code:
            raise BuildError(f"the Product Id {product_id} differs from the product code "
                             f"{project.product_code} in project.ini", where)
    if not project.check_headers:
        return source

    lines_by_header = {line.header: line for line in project.lines if line.header is not None}
    used: set[str] = set()
    for name, where in source.references:
        header, _, number = name[1:].partition("_")
        line = lines_by_header.get(header)
        if line is None:
            raise BuildError(f"{name} names the command header {header}, which no script line has "
                             "(headers are compared with their case; 'check headers = no' in "
                             "[product] turns this check off)", where)
        used.add(header)
        if number:
            recorded = DEFERRED_COMMANDS.get(line.command, 0)
            if not 1 <= int(number) <= recorded:
                what = f"P{header}_1 to P{header}_{recorded}" if recorded else "no value properties"
                raise BuildError(f"{name}: the '{line.command}' line {line.where} records {what}", where)
    for line in project.lines:
        if line.command in DEFERRED_COMMANDS and not line.commented and line.header not in used:
            warn(f"'{line.command}' (header {line.header}) is not used by {path.name}: "
                 "the line changes nothing", line.where)
    return source


# ---------------------------------------------------------------------------
# Programs and appended data


def pe_image_end(data: bytes) -> int | None:
    """Where the sections of a PE image end in its file; None when data is not a PE image."""
    try:
        if data[:2] != b"MZ":
            return None
        signature = struct.unpack_from("<I", data, 0x3C)[0]
        if data[signature:signature + 4] != b"PE\0\0":
            return None
        file_header = signature + 4
        sections, = struct.unpack_from("<H", data, file_header + 2)
        optional_size, = struct.unpack_from("<H", data, file_header + 16)
        table = file_header + 20 + optional_size
        end = 0
        for n in range(sections):
            raw_size, raw_pointer = struct.unpack_from("<II", data, table + 40 * n + 16)
            end = max(end, raw_pointer + raw_size)
        return end
    except struct.error:
        return None


def read_program(path: Path, what: str) -> bytes:
    try:
        data = path.read_bytes()
    except OSError as error:
        raise BuildError(f"cannot read the {what}: {error.strerror}", Where(str(path))) from None
    end = pe_image_end(data)
    if end is None:
        warn(f"the {what} is not a Windows program image", Where(str(path)))
    elif len(data) > end:
        raise BuildError(f"the {what} already carries {len(data) - end} bytes of appended data "
                         "(give the bare file, not a copy from a setup folder)", Where(str(path)))
    return data


def catalogue_bytes(path: Path) -> bytes:
    out = []
    for number, line in read_lines(path):
        try:
            out.append(line.encode(CODE_PAGE) + b"\r\n")
        except UnicodeEncodeError as error:
            bad = line[error.start]
            raise BuildError(f"the character '{bad}' (U+{ord(bad):04X}) cannot be written in the "
                             "8-bit code page (Windows-1252)", Where(str(path), number)) from None
    return b"".join(out)


def run_tool(arguments: list[str], cwd: Path, what: str) -> None:
    shown = [a if not a.startswith("-p") or a == "-p" else "-p***" for a in arguments]
    try:
        result = subprocess.run(arguments, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True, errors="replace")
    except FileNotFoundError:
        raise BuildError(f"{arguments[0]} was not found; it is needed to build {what}") from None
    if result.returncode != 0:
        raise BuildError(f"{' '.join(shown)} failed with exit code {result.returncode} building "
                         f"{what}:\n{result.stdout.strip()}")


def write_atomically(target: Path, data: bytes) -> None:
    temporary = target.with_name(target.name + ".partial")
    temporary.write_bytes(data)
    os.replace(temporary, target)


# ---------------------------------------------------------------------------
# The setup folder


@dataclass
class Tools:
    wixl: str = "wixl"
    sevenzip: str = "7zz"
    msibuild: str = os.environ.get("QM_MSIBUILD", "msibuild")
    msiinfo: str = os.environ.get("QM_MSIINFO", "msiinfo")


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
        # wixl stops at a Component's Condition. The copy without them stays
        # beside product.wxs, since wixl finds the files relative to it.
        handle, copy_name = tempfile.mkstemp(prefix=".product-", suffix=".wxs", dir=project.folder)
        copy = Path(copy_name)
        try:
            with os.fdopen(handle, "wb") as stream:
                stream.write(source.without_component_conditions())
            run_tool([tools.wixl, "-o", str(temporary), copy.name], project.folder, what)
        finally:
            copy.unlink(missing_ok=True)
        write_component_conditions(temporary, source.component_conditions, tools, what)
    os.replace(temporary, target)


def write_component_conditions(database: Path, conditions: list[ComponentCondition], tools: Tools,
                               what: str) -> None:
    arguments = [tools.msibuild, str(database)]
    for c in conditions:
        arguments += ["-q", f"UPDATE `Component` SET `Condition` = '{c.condition}' "
                            f"WHERE `Component` = '{c.component}'"]
    run_tool(arguments, database.parent, what)
    # An UPDATE that matches no row succeeds silently: read the table back.
    try:
        listing = subprocess.run([tools.msiinfo, "export", str(database), "Component"],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError) as error:
        raise BuildError(f"cannot read back the Component table of {what}: {error}") from None
    written = {}
    for row in listing.splitlines()[3:]:
        columns = row.split("\t")
        if len(columns) >= 5:
            written[columns[0]] = columns[4]
    for c in conditions:
        if written.get(c.component) != c.condition:
            raise BuildError(f"the condition of Component {c.component} did not reach the installer "
                             "database (is the Component part of a Feature?)", c.where)


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
            arguments += [f"-p{project.resource_password}", "-mhe=on"]
        run_tool(arguments + [str(archive), "--", *names], resources, f"{target.name} from {resources}")
        os.replace(archive, target)


def copy_data_folder(project: Project, out_dir: Path) -> None:
    source = project.path("data")
    target = out_dir / "data"
    if target.exists():
        shutil.rmtree(target)
    if not source.is_dir():
        return
    shutil.copytree(source, target)
    # The engine recognises its setup source folder by a file named like the product code.
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


def build_setup(project_dir: Path, out_dir: Path, engine: Path, qvx: Path | None,
                catalogue: Path | None = None, tools: Tools | None = None,
                map_file: Path | None = None) -> Project:
    tools = tools or Tools()
    # Everything is read and checked before anything is written.
    project = load_project(project_dir)
    sections = package_sections(project)
    check_package(sections)
    package = encode_package(sections)
    wxs = project.path("product.wxs")
    if not wxs.is_file():
        raise BuildError("the project folder has no product.wxs (the installer database source)",
                         Where(str(project_dir)))
    installer_source = check_installer_source(project, wxs)
    engine_bytes = read_program(engine, "engine")
    library = read_program(qvx, "archive library") if qvx else None
    if catalogue and not library:
        raise BuildError("--catalogue is appended to the archive library: give --qvx as well")
    appended = catalogue_bytes(catalogue) if catalogue else b""
    resources = resource_names(project)
    picture = splash_picture(project)

    out_dir.mkdir(parents=True, exist_ok=True)
    # Should a step below fail, no setup program of an earlier build stays
    # beside the new files.
    setup_program = out_dir / f"{project.setup_name}.exe"
    setup_program.unlink(missing_ok=True)
    build_installer_database(project, installer_source, out_dir, tools)
    build_resource_archive(project, resources, out_dir, tools)
    copy_data_folder(project, out_dir)
    write_splash_picture(picture, out_dir)
    if library is not None:
        write_atomically(out_dir / "qvx.lib", library + appended)
    else:
        warn("no --qvx given: the setup folder has no archive library (qvx.lib)")
    write_atomically(setup_program, engine_bytes + package)
    if map_file:
        map_file.write_text(line_map(project), encoding="utf-8")

    print(f"{PROGRAM}: {setup_program}: engine {len(engine_bytes)} bytes "
          f"+ package {len(package)} bytes, {len(project.lines)} script lines")
    print(header_map(project))
    return project


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(
        prog=PROGRAM, description="Builds a setup folder from a project folder (see tools/README.md).")
    parser.add_argument("project_dir", type=Path, help="the project folder (project.ini, script.txt, ...)")
    parser.add_argument("out_dir", type=Path, help="the setup folder to write")
    parser.add_argument("--engine", type=Path, required=True, help="the built engine, quillmore.exe")
    parser.add_argument("--qvx", type=Path, help="the built archive library, qvx.lib")
    parser.add_argument("--catalogue", type=Path,
                        help="engine message catalogue (UTF-8 text) to append to qvx.lib")
    parser.add_argument("--map", type=Path, dest="map_file",
                        help="also write a table of script lines, identifiers and headers here")
    parser.add_argument("--wixl", default=os.environ.get("QM_WIXL", "wixl"), help="the wixl program")
    parser.add_argument("--7zz", dest="sevenzip", default=os.environ.get("QM_7ZZ", "7zz"),
                        help="the 7-Zip program")
    arguments = parser.parse_args(argv)
    try:
        build_setup(arguments.project_dir, arguments.out_dir, arguments.engine, arguments.qvx,
                    arguments.catalogue, Tools(arguments.wixl, arguments.sevenzip), arguments.map_file)
    except BuildError as error:
        print(f"{PROGRAM}: error: {error}", file=sys.stderr)
        return 1
    except OSError as error:
        print(f"{PROGRAM}: error: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
