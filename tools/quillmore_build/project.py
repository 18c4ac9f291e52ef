"""The project: project.ini and script.txt read, checked and completed with
what every script line needs in the package (see line_assignments.py)."""

from __future__ import annotations

import re
from dataclasses import dataclass, field
from pathlib import Path

from .commands import BuiltinCommands, read_builtin_commands
from .errors import BuildError, Where
from .line_assignments import assign_headers, assign_identifiers, assign_record_lengths
from .project_ini import Setting, Settings, read_settings
from .script_txt import ScriptLine, read_script
from .text import Text, is_windows_file_name, normalize_guid
from .web_media import (WEB_MEDIA_BUILD, WebBlock, WebMediaPlan, check_web_blocks, complete_script,
                        data_block_setting, plan_web_media, read_web_block)

# The component every product has; the component table starts with it.
PREDEFINED_COMPONENT = "VRAK-PREDEF-COMPONENT"
MEDIA_PATH_PATTERN = re.compile(r"^[0-9A-Fa-f]{8}\\[^\\]+")
INT32_MIN, INT32_MAX = -(2 ** 31), 2 ** 31 - 1


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
    commands: BuiltinCommands
    web_blocks: list[WebBlock] = field(default_factory=list)
    web_media: WebMediaPlan | None = None  # build kind 2: the data split into blocks

    @property
    def is_web_media_build(self) -> bool:
        return self.build_kind == WEB_MEDIA_BUILD

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


def load_project(folder: Path, commands: BuiltinCommands | None = None) -> Project:
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
    setup_name = setup_name_setting(product.get("setup name"), settings_where)
    build_kind = build_kind_setting(product.get("build kind"))
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
        settings_where=settings_where,
        commands=commands if commands is not None else read_builtin_commands(),
        web_blocks=[read_web_block(n.value, v.value, n.where or settings_where)
                    for n, v in settings.web_media_blocks])
    check_tables(project)
    plan_blocks(project, product.get("data block"))
    assign_identifiers(project)
    assign_headers(project)
    assign_record_lengths(project)
    return project


def plan_blocks(project: Project, data_block: Setting | None) -> None:
    """Build kind 2: the script's lines checked against the blocks, and the
    project's data/ split into them."""
    check_web_blocks(project.web_blocks, project.settings.web_media_secrets, project.build_kind,
                     project.settings_where)
    if data_block is not None and not project.is_web_media_build:
        raise BuildError("'data block' is for a web media build: set 'build kind = 2'", data_block.where)
    if not project.is_web_media_build:
        return
    carrier = data_block_setting(data_block.value if data_block and data_block.value else None,
                                 data_block.where if data_block else project.settings_where, project.web_blocks)
    complete_script(project.lines, project.web_blocks)
    project.web_media = plan_web_media(project.path("data"), project.web_blocks, carrier)


def setup_name_setting(setting: Setting | None, settings_where: Where) -> str:
    """The setup program's name without ".exe"."""
    setup_name = setting.value if setting and setting.value else "setup"
    if not is_windows_file_name(setup_name):
        raise BuildError(f"the setup name '{setup_name}' is not a usable Windows file name",
                         setting.where if setting else settings_where)
    return setup_name


def build_kind_setting(setting: Setting | None) -> str:
    """The build kind as the engine reads it: a 32-bit whole number, "1" by default."""
    if not setting or not setting.value:
        return "1"
    if not re.fullmatch(r"-?[0-9]+", setting.value) or not INT32_MIN <= int(setting.value) <= INT32_MAX:
        raise BuildError(f"the build kind must be a whole number (2: web media, 3: works from "
                         f"the installed product, other: ordinary), not '{setting.value}'",
                         setting.where)
    return str(int(setting.value))


def check_tables(project: Project) -> None:
    settings = project.settings
    check_components(settings.components)
    check_web_media_secrets(settings.web_media_secrets)
    check_build_constants(settings.build_constants)
    check_media_files(settings.media_files)
    check_plugin_commands(settings.plugin_commands)


def check_components(components: list[tuple[Text, Text]]) -> None:
    if components and components[0][0].value != PREDEFINED_COMPONENT:
        raise BuildError(f"the first component must be {PREDEFINED_COMPONENT} (the predefined "
                         f"component), not '{components[0][0].value}'", components[0][0].where)
    seen: set[str] = set()
    for name, size in components:
        if name.value != name.value.upper():
            raise BuildError(f"component names are upper case: write {name.value.upper()}", name.where)
        if not size.value.isdigit():
            raise BuildError(f"the size of {name.value} must be a number of bytes, not '{size.value}'",
                             size.where)
        if name.value in seen:
            raise BuildError(f"the component {name.value} is listed twice", name.where)
        seen.add(name.value)


def check_web_media_secrets(secrets: list[tuple[Text, Text]]) -> None:
    # Block names are compared without their case.
    seen: set[str] = set()
    for name, _ in secrets:
        key = name.value.lower()
        if key in seen:
            raise BuildError(f"the web media block '{name.value}' has two secrets", name.where)
        seen.add(key)


def check_build_constants(constants: list[tuple[Text, Text]]) -> None:
    seen: set[str] = set()
    for name, _ in constants:
        if "#" in name.value:
            raise BuildError(f"a build constant name cannot hold '#': it is written #{name.value}# "
                             "in the script", name.where)
        if name.value.upper() in seen:
            raise BuildError(f"the build constant {name.value} is defined twice", name.where)
        seen.add(name.value.upper())


def check_media_files(media_files: list[tuple[Text, Text, Text]]) -> None:
    for media, path, _ in media_files:
        if not media.value:
            raise BuildError("a media file needs the name of its media (for instance OFFLINE)", media.where)
        if not MEDIA_PATH_PATTERN.match(path.value):
            raise BuildError(f"the media file path '{path.value}' must be a folder named by eight "
                             "hexadecimal digits, a backslash and the file name", path.where)


def check_plugin_commands(plugin_commands: list[Text]) -> None:
    names = [c.value.lower() for c in plugin_commands]
    for command in plugin_commands:
        if names.count(command.value.lower()) > 1:
            raise BuildError(f"the plug-in command '{command.value}' is listed twice", command.where)
