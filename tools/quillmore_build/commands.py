"""The built-in script commands as the tool needs them: how many fields the
engine reads for each, and which ones change the machine through Windows
Installer. The facts come from the command catalogue that the engine is
built from (commands/catalogue.txt), read with tools/command_catalogue.py,
so the tool and the engine cannot disagree about a command."""

from __future__ import annotations

from collections.abc import Iterable
from pathlib import Path

# Outside this package: the catalogue's reader sits in the tools folder,
# which running the package puts on the import path (see __main__.py).
from command_catalogue import CatalogueError, Command, read_catalogue

from .errors import BuildError, Where

# The catalogue of the repository this tool belongs to.
CATALOGUE = Path(__file__).resolve().parents[2] / "commands" / "catalogue.txt"

# A plug-in command's line hands field 1 to the library and names the
# library's file in field 2. Plug-in commands are not in the catalogue.
PLUGIN_FIELDS_READ = 2


class BuiltinCommands:
    """The catalogue's commands by name, compared exactly as the engine does."""

    def __init__(self, commands: Iterable[Command]):
        self._by_name = {command.name: command for command in commands}

    def names(self) -> list[str]:
        return list(self._by_name)

    def fields_read(self, name: str) -> int | None:
        """The highest field number the engine reads for the command; None
        when it reads any number ("Comment") or the command is not built in."""
        command = self._by_name.get(name)
        return command.fields if command else None

    def is_deferred(self, name: str) -> bool:
        """Whether the command changes the machine through Windows Installer:
        its lines need a command header, and the installer database's rows
        are conditioned on the property "A" + header."""
        command = self._by_name.get(name)
        return bool(command and command.deferred)

    def value_count(self, name: str) -> int:
        """How many value properties ("P" + header + "_1" ...) a line of the command records."""
        command = self._by_name.get(name)
        return command.value_count if command and command.deferred else 0


def read_builtin_commands(path: Path = CATALOGUE) -> BuiltinCommands:
    try:
        return BuiltinCommands(read_catalogue(path))
    except CatalogueError as error:
        # Its text starts with the catalogue's file and line.
        raise BuildError(str(error)) from None
    except OSError as error:
        raise BuildError(f"cannot read the command catalogue: {error.strerror}", Where(str(path))) from None
    except UnicodeDecodeError:
        raise BuildError("the command catalogue is not UTF-8 text", Where(str(path))) from None
