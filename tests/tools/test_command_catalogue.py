"""Tests of the command catalogue's reader (tools/command_catalogue.py) and of
the setup build tool's use of it: the tool takes every built-in command's
field count, whether it is deferred and how many value properties it
records from commands/catalogue.txt, and from nowhere else.

    python3 -m unittest discover -s tests/tools -v
"""

from __future__ import annotations

import subprocess
import sys
import tempfile
import textwrap
import unittest
from pathlib import Path

from test_quillmore_build import PROJECT_INI, registry_component, write_project, wxs

REPOSITORY = Path(__file__).resolve().parents[2]
TOOLS = REPOSITORY / "tools"
CATALOGUE = REPOSITORY / "commands" / "catalogue.txt"
LISTER = TOOLS / "command_catalogue.py"

# The tool's modules are imported here, as the tool itself runs them, with
# tools/ on the import path; no byte code is left in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, str(TOOLS))
import command_catalogue  # noqa: E402
from quillmore_build import commands as tool_commands  # noqa: E402
from quillmore_build.errors import BuildError  # noqa: E402
from quillmore_build.installer_source import check_installer_source  # noqa: E402
from quillmore_build.project import load_project  # noqa: E402


class TempTest(unittest.TestCase):
    def setUp(self) -> None:
        self._temporary = tempfile.TemporaryDirectory()
        self.addCleanup(self._temporary.cleanup)
        self.root = Path(self._temporary.name)
        self.catalogue = command_catalogue.read_catalogue(CATALOGUE)


class ToolViewTest(TempTest):
    def test_the_tool_sees_every_command_as_the_catalogue_gives_it(self) -> None:
        view = tool_commands.read_builtin_commands()  # the tool's own default catalogue
        self.assertEqual(tool_commands.CATALOGUE.resolve(), CATALOGUE.resolve())
        self.assertEqual(view.names(), [command.name for command in self.catalogue])
        for command in self.catalogue:
            with self.subTest(command.name):
                self.assertEqual(
                    (view.fields_read(command.name), view.is_deferred(command.name),
                     view.value_count(command.name)),
                    (command.fields, command.deferred, command.value_count))

    def test_commands_outside_the_catalogue_are_unknown_to_the_view(self) -> None:
        view = tool_commands.read_builtin_commands()
        # (name: not built in, or not spelt as the catalogue spells it)
        for name in ["Code Folding Region", "set variable", "Write Registry ", "My Plugin", ""]:
            with self.subTest(name=name):
                self.assertNotIn(name, view.names())
                self.assertEqual((view.fields_read(name), view.is_deferred(name), view.value_count(name)),
                                 (None, False, 0))

    def load(self, script: str, settings: str = PROJECT_INI):
        folder = write_project(self.root / "project", {"project.ini": settings, "script.txt": script})
        return load_project(folder)

    def test_records_and_headers_follow_the_catalogue(self) -> None:
        # One line of every command, without fields: each record is padded to
        # the command's count ("any": no record), and exactly the deferred
        # commands' lines get a command header.
        project = self.load("".join(f"{command.name}\n" for command in self.catalogue))
        self.assertEqual([line.command for line in project.lines], [c.name for c in self.catalogue])
        for command, line in zip(self.catalogue, project.lines):
            with self.subTest(command.name):
                self.assertEqual(line.record_length, command.fields or 0)
                self.assertEqual(line.header is not None, command.deferred)

    def test_a_field_beyond_the_count_is_refused_except_where_the_catalogue_allows_it(self) -> None:
        for command in self.catalogue:
            written = (command.fields or 6) + 1
            script = command.name + " | x" * written + "\n"
            with self.subTest(command.name):
                if command.fields is not None and not command.deferred:
                    with self.assertRaises(BuildError) as caught:
                        self.load(script)
                    self.assertIn(f"'{command.name}' reads {command.fields} field(s), but this line "
                                  f"has {written}", str(caught.exception))
                else:
                    # Deferred lines keep their other fields for the installer
                    # database's author; "any" takes what the line wrote.
                    self.assertEqual(self.load(script).lines[0].record_length, written)

    def test_a_command_that_reads_any_number_is_padded_like_an_unknown_one(self) -> None:
        plugin = PROJECT_INI + "[plug-in commands]\ncomment\n"
        declared = PROJECT_INI + "[field counts]\nIgnore = 3\n"
        # (command, script, project.ini, record length of each line)
        cases = [
            ("Comment", "Comment\nComment | a | b\nComment | a\n", PROJECT_INI, [2, 2, 2]),
            ("Ignore", "Ignore | a | b | c | d | e | f | g | h | i\nIgnore\n", PROJECT_INI, [9, 9]),
            ("Code Folding Region", "Code Folding Region\nCode Folding Region | a\n", PROJECT_INI, [1, 1]),
            ("Comment as a plug-in command", "Comment\nComment | a\n", plugin, [2, 2]),
            ("Ignore with a declared count", "Ignore | a\n", declared, [3]),
        ]
        for command, script, settings, lengths in cases:
            with self.subTest(command):
                project = self.load(script, settings)
                self.assertEqual([line.record_length for line in project.lines], lengths)
        with self.assertRaises(BuildError):
            self.load("Comment | a | b | c\n", plugin)

    def test_value_properties_follow_the_catalogue(self) -> None:
        # A reference to P<header>_n is accepted up to the command's value
        # count and refused beyond it. (Property names end in one digit.)
        for command in (c for c in self.catalogue if c.deferred):
            numbers = [n for n in (command.value_count, command.value_count + 1) if 1 <= n <= 9]
            for n in numbers:
                with self.subTest(command.name, property=n):
                    folder = write_project(self.root / "project", {
                        "project.ini": PROJECT_INI,
                        "script.txt": f"[header=3F2A] {command.name}\n",
                        "product.wxs": wxs(components=registry_component(
                            "Value", "22222222-3333-4444-5555-666666666666", "A3F2A", f"[P3F2A_{n}]"))})
                    project = load_project(folder)
                    if n <= command.value_count:
                        check_installer_source(project, folder / "product.wxs")
                        continue
                    with self.assertRaises(BuildError) as caught:
                        check_installer_source(project, folder / "product.wxs")
                    records = (f"P3F2A_1 to P3F2A_{command.value_count}" if command.value_count
                               else "no value properties")
                    self.assertIn(f"the '{command.name}' line", str(caught.exception))
                    self.assertIn(f"records {records}", str(caught.exception))


SMALL_CATALOGUE = """\
# A catalogue of four commands.
[commands/flow]
Comment          | inert_line_command    | any |  |  |  |
Set Variable     | set_variable_command  | 2   |  | 1 keep | 2:1 |
[commands/system]
Write Registry   | deferred_line_command | 5   |  |  |  | A P1=3 P2=4 P3=5
Create ODBC DSN  | -                     | 0   |  |  |  | A
"""


class BrokenCatalogueTest(TempTest):
    def test_a_wrong_row_is_reported_with_its_file_and_line(self) -> None:
        good = "# a broken catalogue\n[commands/flow]\nLabel | inert_line_command | 1 | | | |\n"
        # (description, the row after three good lines, line of the report, words of the message)
        cases = [
            ("duplicate command name", "Label | - | 1 | | | |", 4,
             "'Label' is in the catalogue twice (first on line 3)"),
            ("wrong number of cells", "Else | else_command | 0 | | |", 4,
             "a row has 7 cells separated by '|', this one has 6"),
            ("unknown check word", "GoTo Label | - | 1 | label missing | | |", 4,
             "unknown check 'label missing'"),
            ("recorded field above the field count", "Write Registry | - | 2 | | | | A P1=1 P2=3", 4,
             "field 3 is recorded, but the command reads only 2"),
            ("second row after a note", "\n# note\nIf | - | 4 | condition | | |\nIf | - | 4 | | | |", 7,
             "'If' is in the catalogue twice (first on line 6)"),
        ]
        for description, row, line, words in cases:
            with self.subTest(description):
                path = self.root / f"{description.replace(' ', '-')}.txt"
                path.write_text(good + row + "\n", encoding="utf-8")
                with self.assertRaises(command_catalogue.CatalogueError) as caught:
                    command_catalogue.read_catalogue(path)
                self.assertTrue(str(caught.exception).startswith(f"{path}:{line}: "), str(caught.exception))
                self.assertIn(words, str(caught.exception))
                # The build tool stops with the same place and words.
                with self.assertRaises(BuildError) as stopped:
                    tool_commands.read_builtin_commands(path)
                self.assertEqual(str(stopped.exception), str(caught.exception))

    def test_the_good_rows_of_the_broken_catalogue_read(self) -> None:
        # The cases above fail on their last row only.
        path = self.root / "good.txt"
        path.write_text("[commands/flow]\nLabel | inert_line_command | 1 | | | |\n", encoding="utf-8")
        self.assertEqual([c.name for c in command_catalogue.read_catalogue(path)], ["Label"])

    def test_a_missing_catalogue_stops_the_build_tool(self) -> None:
        path = self.root / "missing.txt"
        with self.assertRaises(BuildError) as stopped:
            tool_commands.read_builtin_commands(path)
        self.assertIn(str(path), str(stopped.exception))
        self.assertIn("cannot read the command catalogue", str(stopped.exception))


class ListingTest(TempTest):
    def list_commands(self, *arguments: str) -> tuple[subprocess.CompletedProcess[str], Path]:
        out = self.root / "listing" / "commands.txt"
        result = subprocess.run([sys.executable, str(LISTER), *arguments, "--list", str(out)],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        return result, out

    def test_the_listing_of_a_small_catalogue(self) -> None:
        catalogue = self.root / "catalogue.txt"
        catalogue.write_text(SMALL_CATALOGUE, encoding="utf-8")
        result, out = self.list_commands("--catalogue", str(catalogue))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(out.read_bytes(),
                         b"Comment\tany\t-\n"
                         b"Set Variable\t2\t-\n"
                         b"Write Registry\t5\t3\n"
                         b"Create ODBC DSN\t0\t0\n")

    def test_the_listing_of_the_repository_catalogue(self) -> None:
        result, out = self.list_commands()
        self.assertEqual(result.returncode, 0, result.stderr)
        text = out.read_text(encoding="utf-8")
        self.assertNotIn("\r", text)
        self.assertTrue(text.endswith("\n"))
        rows = [line.split("\t") for line in text.splitlines()]
        self.assertEqual(len(rows), len(self.catalogue))
        for command, row in zip(self.catalogue, rows):
            with self.subTest(command.name):
                self.assertEqual(row, [command.name,
                                       "any" if command.fields is None else str(command.fields),
                                       str(command.value_count) if command.deferred else "-"])
        # Rows whose meaning the build tool relies on, as listed.
        for expected in [["Comment", "any", "-"], ["Ignore", "any", "-"], ["Set Variable", "2", "-"],
                         ["Write Registry", "5", "3"], ["Create ODBC DSN", "0", "0"],
                         ["Install Service", "15", "9"]]:
            with self.subTest(row=expected):
                self.assertIn(expected, rows)

    def test_a_broken_catalogue_lists_nothing(self) -> None:
        catalogue = self.root / "catalogue.txt"
        catalogue.write_text(SMALL_CATALOGUE + "Comment | - | any | | | |\n", encoding="utf-8")
        result, out = self.list_commands("--catalogue", str(catalogue))
        self.assertEqual(result.returncode, 1)
        self.assertIn(f"command_catalogue: {catalogue}:8: 'Comment' is in the catalogue twice", result.stderr)
        self.assertFalse(out.exists())


if __name__ == "__main__":
    unittest.main()
