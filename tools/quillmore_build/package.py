"""The setup package: the sections the engine reads after its own bytes,
their checks, and their 8-bit text. List sections end with a line holding
only "$"; value sections are a fixed number of lines."""

from __future__ import annotations

from dataclasses import dataclass

from .errors import BuildError
from .project import PREDEFINED_COMPONENT, Project
from .project_ini import PUBLISHER_KEYS, Setting
from .script_txt import ScriptLine, media_folder
from .text import CODE_PAGE, Text

LINE_END = "\r\n"
END_MARKER = "$"          # a line holding only this ends a list section
DOLLAR_ENTRY = "$DOLLAR$"  # how a parameter field that is exactly "$" is written
COMMENTED_STATE = "C"     # the line state of a commented-out line

# Archive passwords are kept scrambled in the web media secret table; the
# engine reads them back with the same key (script/secret_text.cpp).
SECRET_KEY = bytes([0x51, 0x75, 0x69, 0x6C, 0x6C, 0x6D, 0x6F, 0x72,
                    0x65, 0x9A, 0x3C, 0xD7, 0x28, 0xB1, 0x46, 0xE3])


@dataclass
class Section:
    name: str
    entries: list[Text]
    is_list: bool
    record_starts: frozenset[int] = frozenset()  # parameter list: where each record begins


def scramble_secret(password: str) -> str:
    data = password.encode("cp1252")
    return "".join("%02X" % (b ^ SECRET_KEY[i % 16] ^ ((i * 31) & 0xFF)) for i, b in enumerate(data))


def secret_table(project: Project) -> list[Text]:
    """The web media secrets, scrambled, and the resource archive's password
    under the archive's file name."""
    entries: list[Text] = []
    for name, password in project.settings.web_media_secrets:
        entries += [name, Text(scramble_secret(password.value), password.where)]
    # The engine looks a block's password up by the name its archive has.
    for block in project.web_blocks:
        entries += [Text(block.name, block.where), Text(scramble_secret(block.password), block.where)]
    if project.resource_password:
        entries += [Text(f"{project.setup_name}.res", project.settings_where),
                    Text(scramble_secret(project.resource_password), project.settings_where)]
    return entries


def parameter_list(lines: list[ScriptLine]) -> Section:
    """One record per line that has fields: the line's identifier, then its
    fields padded to its record length. The engine finds a line's record by
    its identifier."""
    parameters: list[Text] = []
    record_starts: set[int] = set()
    for line in lines:
        if line.record_length == 0:
            continue
        record_starts.add(len(parameters))
        parameters.append(Text(line.identifier or "", line.where))
        values = line.fields + [""] * (line.record_length - len(line.fields))
        parameters.extend(Text(DOLLAR_ENTRY if v == END_MARKER else v, line.where) for v in values)
    return Section("parameter list", parameters, True, frozenset(record_starts))


def pairs(table: list[tuple[Text, Text]]) -> list[Text]:
    return [entry for pair in table for entry in pair]


def package_sections(project: Project) -> list[Section]:
    """The package's sections, in the order the engine reads them."""
    settings = project.settings
    where = project.settings_where
    lines = project.lines

    def value(section: dict[str, Setting], key: str, default: str = "") -> Text:
        setting = section.get(key)
        return Text(setting.value, setting.where) if setting else Text(default, where)

    components = pairs(settings.components) or [Text(PREDEFINED_COMPONENT, where), Text("0", where)]
    media_files = [Text(media_folder(e.value), e.where) if i == 2 else e
                   for triple in settings.media_files for i, e in enumerate(triple)]
    if project.web_media is not None:
        media_files += [Text(entry, where) for triple in project.web_media.media_files for entry in triple]
    headers = [entry for line in lines if line.header is not None
               for entry in (Text(line.header, line.where), Text(str(line.index), line.where))]

    return [
        Section("command list", [Text(line.command, line.where) for line in lines], True),
        Section("line identifier list", [Text(line.identifier or "", line.where) for line in lines], True),
        parameter_list(lines),
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
    check_line_lists(by_name, line_count)
    identifiers = unique_identifiers(by_name["line identifier list"])
    check_records(by_name["parameter list"], identifiers)
    check_header_indexes(by_name["command header list"], line_count)
    for section in sections:
        check_entries(section)


def check_line_lists(by_name: dict[str, Section], line_count: int) -> None:
    """The lists with one entry per script line."""
    for name in ("line identifier list", "line state list", "line media folder list"):
        if len(by_name[name].entries) != line_count:
            raise BuildError(f"the {name} has {len(by_name[name].entries)} entries for "
                             f"{line_count} script lines")


def unique_identifiers(section: Section) -> dict[str, Text]:
    """The line identifiers by their upper-case form, each used once."""
    identifiers: dict[str, Text] = {}
    for entry in section.entries:
        key = entry.value.upper()
        if key in identifiers:
            raise BuildError(f"the line identifier {entry.value} is used twice", entry.where)
        identifiers[key] = entry
    return identifiers


def check_records(parameters: Section, identifiers: dict[str, Text]) -> None:
    """Each record starts with the identifier of its own line, and no field
    equals an identifier, since the engine looks records up by identifier."""
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


def check_header_indexes(headers: Section, line_count: int) -> None:
    entries = headers.entries
    for header, index in zip(entries[0::2], entries[1::2]):
        if not index.value.isdigit() or int(index.value) >= line_count:
            raise BuildError(f"the command header {header.value} names line index {index.value}, "
                             "which is not a script line", header.where)


def check_entries(section: Section) -> None:
    """Every entry is one line of the package and cannot end a list early."""
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
