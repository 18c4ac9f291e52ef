"""Reading project.ini: the product's identity, its publisher lines and its
tables. Unknown sections and settings are errors, so that a misspelt name
does not vanish silently."""

from __future__ import annotations

from dataclasses import dataclass, field
from pathlib import Path

from .errors import BuildError, Where
from .field_syntax import BLANKS, split_fields, unescape
from .text import Text, read_lines


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
    web_media_blocks: list[tuple[Text, Text]] = field(default_factory=list)  # name, "password | locations"
    components: list[tuple[Text, Text]] = field(default_factory=list)
    media_files: list[tuple[Text, Text, Text]] = field(default_factory=list)
    build_constants: list[tuple[Text, Text]] = field(default_factory=list)


PRODUCT_KEYS = {"code", "title", "revision", "setup name", "build kind", "language dialog",
                "default language", "resource password", "check headers", "data block"}
# In the order of the package's publisher lines.
PUBLISHER_KEYS = ["publisher", "contact", "help link", "update link", "comments", "version"]
LIST_SECTIONS = {"plug-in commands", "field counts", "web media secrets", "web media blocks", "components",
                 "media files", "build constants"}


def simple_name(text: str) -> str:
    """A section or setting name as compared: lower case, blanks folded."""
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
            section = section_name(stripped, seen_sections, where)
            continue
        if section is None:
            raise BuildError("a setting before the first [section] header", where)
        if section in ("product", "publisher"):
            read_value_setting(settings, section, stripped, where)
        else:
            read_list_entry(settings, section, stripped, where)
    return settings


def section_name(header: str, seen_sections: set[str], where: Where) -> str:
    """The name of a "[section]" line, which must be known and new."""
    if not header.endswith("]"):
        raise BuildError("a section header must end with ']'", where)
    section = simple_name(header[1:-1])
    if section not in {"product", "publisher"} | LIST_SECTIONS:
        known = ", ".join(f"[{s}]" for s in ["product", "publisher", *sorted(LIST_SECTIONS)])
        raise BuildError(f"unknown section [{header[1:-1].strip()}]; the sections are {known}", where)
    if section in seen_sections:
        raise BuildError(f"the section [{section}] appears twice", where)
    seen_sections.add(section)
    return section


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
        read_media_file(settings, line, where)
    else:
        name, value = name_and_value(line, where, "name = value")
        if not name:
            raise BuildError("the name before '=' is empty", where)
        if section == "field counts":
            read_field_count(settings, name, value, where)
        elif section == "web media secrets":
            settings.web_media_secrets.append((Text(name, where), Text(value, where)))
        elif section == "web media blocks":
            settings.web_media_blocks.append((Text(name, where), Text(value, where)))
        elif section == "components":
            settings.components.append((Text(name, where), Text(value, where)))
        elif section == "build constants":
            settings.build_constants.append((Text(name, where), Text(value, where)))


def read_media_file(settings: Settings, line: str, where: Where) -> None:
    fields = split_fields(unescape(line, where))
    if len(fields) != 3:
        raise BuildError("a media file is written 'media | path | folder' "
                         f"(three fields, found {len(fields)})", where)
    settings.media_files.append(tuple(Text(f, where) for f in fields))  # type: ignore[arg-type]


def read_field_count(settings: Settings, name: str, value: str, where: Where) -> None:
    if not value.isdigit():
        raise BuildError(f"the field count of '{name}' must be a number, not '{value}'", where)
    if name in settings.field_counts:
        raise BuildError(f"the field count of '{name}' is given twice", where)
    settings.field_counts[name] = (int(value), where)
