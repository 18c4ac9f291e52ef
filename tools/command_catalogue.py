#!/usr/bin/env python3
"""Reads the command catalogue (commands/catalogue.txt) and writes the C++
tables the engine is built with.

    python3 tools/command_catalogue.py [--catalogue FILE]
        [--facts OUT.cpp] [--handlers OUT.cpp] [--list OUT.txt]

--facts     the facts of every command (script core: validator, deferred lines)
--handlers  the handler of every built command, bound by name (program entry)
--list      one line per command: name, field count ("any" or a number), the
            number of value properties of a deferred command ("-" otherwise);
            tab-separated, for tests that hold the engine against the build tool

The setup build tool imports read_catalogue() from here, so the engine and
the tool read one file the same way. Python 3 standard library only.
"""

from __future__ import annotations

import argparse
import re
import sys
from dataclasses import dataclass, field
from pathlib import Path

DEFAULT_CATALOGUE = Path(__file__).resolve().parent.parent / "commands" / "catalogue.txt"

# Validator checks: catalogue words -> C++ enumerator; "required" takes a field.
CHECKS = {
    "condition": "kCondition",
    "expression": "kExpression",
    "label exists": "kLabelExists",
    "variable exists": "kVariableExists",
    "required": "kRequiredField",
    "dialog": "kDialog",
    "delete mode": "kDeleteMode",
    "target folder": "kTargetFolder",
    "web media name": "kWebMediaName",
}
DEFERRED_OPTIONS = {"media", "guard", "shortcut texts", "progid texts"}
COLUMNS = 7
IDENTIFIER = re.compile(r"^[a-z_][a-z0-9_]*$")
MAX_FIELD = 99


class CatalogueError(Exception):
    def __init__(self, path: Path, line: int, message: str):
        super().__init__(f"{path}:{line}: {message}")


@dataclass
class Command:
    name: str
    family: str
    handler: str | None         # None: not built yet
    fields: int | None          # None: "any"
    check: str | None = None    # a key of CHECKS
    check_field: int = 0
    defines: list[int] = field(default_factory=list)
    defines_keep_marker: bool = False
    defines_first: bool = False
    translated: list[tuple[int, int]] = field(default_factory=list)  # (field, offset), by offset
    deferred: bool = False
    values: list[tuple[int, int]] = field(default_factory=list)      # (property n, field), by n
    options: set[str] = field(default_factory=set)

    @property
    def value_count(self) -> int:
        return len(self.values)


def _number(text: str, fail, what: str) -> int:
    if not text.isdigit() or not 0 < int(text) <= MAX_FIELD:
        fail(f"{what} must be a field number from 1 to {MAX_FIELD}, not '{text}'")
    return int(text)


def _read_check(cell: str, command: Command, fail) -> None:
    if not cell:
        return
    words = cell.split()
    if words[0] == "required":
        if len(words) != 2:
            fail("'required' takes one field number")
        command.check, command.check_field = "required", _number(words[1], fail, "the required field")
        return
    if cell not in CHECKS:
        fail(f"unknown check '{cell}' (known: {', '.join(sorted(CHECKS))})")
    command.check = cell


def _read_defines(cell: str, command: Command, fail) -> None:
    for word in cell.split():
        if word == "keep":
            command.defines_keep_marker = True
        elif word == "first":
            command.defines_first = True
        else:
            command.defines.append(_number(word, fail, "a defined field"))
    if len(command.defines) > 2:
        fail("a command defines at most two variables")


def _read_translated(cell: str, command: Command, fail) -> None:
    for word in cell.split():
        parts = word.split(":")
        if len(parts) != 2:
            fail(f"a translated field is written FIELD:OFFSET, not '{word}'")
        command.translated.append((_number(parts[0], fail, "a translated field"),
                                   _number(parts[1], fail, "a text offset")))
    offsets = [offset for _, offset in command.translated]
    if len(set(offsets)) != len(offsets):
        fail("two translated fields share a text offset")
    command.translated.sort(key=lambda pair: pair[1])


def _read_deferred(cell: str, command: Command, fail) -> None:
    if not cell:
        return
    words = cell.split()
    if words[0] != "A":
        fail("a deferred command's column starts with A, its flag property")
    command.deferred = True
    rest = " ".join(words[1:])
    for option in sorted(DEFERRED_OPTIONS, key=len, reverse=True):
        if re.search(rf"(^| ){re.escape(option)}( |$)", rest):
            command.options.add(option)
            rest = re.sub(rf"(^| ){re.escape(option)}( |$)", " ", rest)
    for word in rest.split():
        match = re.fullmatch(r"P([1-9])=(\d+)", word)
        if not match:
            fail(f"unknown deferred entry '{word}' (Pn=FIELD, or one of: {', '.join(sorted(DEFERRED_OPTIONS))})")
        command.values.append((int(match.group(1)), _number(match.group(2), fail, "a recorded field")))
    numbers = [n for n, _ in command.values]
    if numbers != list(range(1, len(numbers) + 1)):
        fail("value properties are numbered P1, P2, ... in order")
    if "shortcut texts" in command.options and "progid texts" in command.options:
        fail("a line adds either shortcut texts or ProgId texts")


def read_catalogue(path: Path = DEFAULT_CATALOGUE) -> list[Command]:
    """Every command of the catalogue, in file order. Raises CatalogueError."""
    commands: list[Command] = []
    seen: dict[str, int] = {}
    family = None
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        def fail(message: str, number: int = number) -> None:
            raise CatalogueError(path, number, message)

        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        if line.startswith("["):
            if not line.endswith("]") or len(line) < 3:
                fail("a family section is written [folder]")
            family = line[1:-1].strip()
            continue
        if family is None:
            fail("a command row before the first [family] section")
        cells = [cell.strip() for cell in raw.split("|")]
        if len(cells) != COLUMNS:
            fail(f"a row has {COLUMNS} cells separated by '|', this one has {len(cells)}")
        name, handler, fields, check, defines, translated, deferred = cells
        if not name:
            fail("a row without a command name")
        if name in seen:
            fail(f"'{name}' is in the catalogue twice (first on line {seen[name]})")
        seen[name] = number
        if handler != "-" and not IDENTIFIER.match(handler):
            fail(f"the handler '{handler}' is not a C++ function name (or '-')")
        if fields != "any" and not (fields.isdigit() and int(fields) <= MAX_FIELD):
            fail(f"the field count must be a number or 'any', not '{fields}'")
        command = Command(name=name, family=family, handler=None if handler == "-" else handler,
                          fields=None if fields == "any" else int(fields))
        _read_check(check, command, fail)
        _read_defines(defines, command, fail)
        _read_translated(translated, command, fail)
        _read_deferred(deferred, command, fail)
        for what, used in ([("defined", n) for n in command.defines]
                           + [("translated", f) for f, _ in command.translated]
                           + [("recorded", f) for _, f in command.values]):
            if command.fields is not None and used > command.fields:
                fail(f"field {used} is {what}, but the command reads only {command.fields}")
        commands.append(command)
    return commands


# ---------------------------------------------------------------------------
# C++ tables

GENERATED = "// Generated from commands/catalogue.txt by tools/command_catalogue.py; do not edit.\n"


def _cpp_string(text: str) -> str:
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def facts_source(commands: list[Command]) -> str:
    out = [GENERATED, '#include "script/command_facts.h"\n\nnamespace qm {\nnamespace {\n']
    for index, command in enumerate(commands):
        if command.translated:
            items = ", ".join(f"{{{f}, {o}}}" for f, o in command.translated)
            out.append(f"constexpr TranslatedField kTranslated{index}[] = {{{items}}};\n")
        if command.values:
            items = ", ".join(f"{{{n}, {f}}}" for n, f in command.values)
            out.append(f"constexpr ValueProperty kValues{index}[] = {{{items}}};\n")
    out.append("\nconstexpr CommandFacts kCommands[] = {\n")
    for index, command in enumerate(commands):
        check = CHECKS[command.check] if command.check else "kNone"
        defines = command.defines + [0] * (2 - len(command.defines))
        triple = ("TextTriple::kShortcut" if "shortcut texts" in command.options
                  else "TextTriple::kProgId" if "progid texts" in command.options else "TextTriple::kNone")
        translated = f"kTranslated{index}" if command.translated else "{}"
        values = f"kValues{index}" if command.values else "{}"
        out.append(
            f"    {{.name = {_cpp_string(command.name)}, .family = {_cpp_string(command.family)},\n"
            f"     .fields = {-1 if command.fields is None else command.fields}, .built = {'true' if command.handler else 'false'},\n"
            f"     .check = ValidatorCheck::{check}, .check_field = {command.check_field},\n"
            f"     .defines = {{{defines[0]}, {defines[1]}}}, .defines_keep_marker = {str(command.defines_keep_marker).lower()},"
            f" .defines_first = {str(command.defines_first).lower()},\n"
            f"     .translated = {translated},\n"
            f"     .deferred = {{.deferred = {str(command.deferred).lower()}, .values = {values}, .triple = {triple},"
            f" .redirection_guard = {str('guard' in command.options).lower()}}}}},\n")
    out.append("};\n\n}  // namespace\n\n"
               "std::span<const CommandFacts> command_catalogue() { return kCommands; }\n\n"
               "}  // namespace qm\n")
    return "".join(out)


def handlers_source(commands: list[Command]) -> str:
    handlers = sorted({c.handler for c in commands if c.handler})
    out = [GENERATED, '#include "program/builtin_commands.h"\n\n#include "engine/command_catalogue.h"\n\n'
           "namespace qm {\n\n// Defined in the family folders named by the catalogue's sections.\n"]
    out += [f"void {handler}(Engine& engine, const ScriptLine& line);\n" for handler in handlers]
    out.append("\nvoid bind_builtin_commands(CommandCatalogue& catalogue) {\n")
    out += [f"  catalogue.bind({_cpp_string(c.name)}, {c.handler});\n" for c in commands if c.handler]
    out.append("}\n\n}  // namespace qm\n")
    return "".join(out)


def listing(commands: list[Command]) -> str:
    rows = []
    for command in commands:
        fields = "any" if command.fields is None else str(command.fields)
        values = str(command.value_count) if command.deferred else "-"
        rows.append(f"{command.name}\t{fields}\t{values}\n")
    return "".join(rows)


def write_if_changed(path: Path, text: str) -> None:
    # An unchanged table keeps its time stamp, so nothing is compiled again.
    if path.exists() and path.read_text(encoding="utf-8") == text:
        return
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(text, encoding="utf-8")


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(description="Writes the engine's tables from the command catalogue.")
    parser.add_argument("--catalogue", type=Path, default=DEFAULT_CATALOGUE)
    parser.add_argument("--facts", type=Path)
    parser.add_argument("--handlers", type=Path)
    parser.add_argument("--list", type=Path)
    arguments = parser.parse_args(argv)
    try:
        commands = read_catalogue(arguments.catalogue)
    except (CatalogueError, OSError) as error:
        print(f"command_catalogue: {error}", file=sys.stderr)
        return 1
    if arguments.facts:
        write_if_changed(arguments.facts, facts_source(commands))
    if arguments.handlers:
        write_if_changed(arguments.handlers, handlers_source(commands))
    if arguments.list:
        write_if_changed(arguments.list, listing(commands))
    return 0


if __name__ == "__main__":
    sys.exit(main())
