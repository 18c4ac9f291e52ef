"""Tests of tools/quillmore_build, the tool that turns a project folder into
a setup folder. The tool runs as a program, as a build runs it; the setup
folders it writes are read back with the package format, 7-Zip and msitools.

    python3 -m unittest discover -s tests/tools -v
"""

from __future__ import annotations

import struct
import subprocess
import sys
import tempfile
import textwrap
import unittest
from pathlib import Path

# The package folder, run as a program: python3 tools/quillmore_build ...
TOOL = Path(__file__).resolve().parents[2] / "tools" / "quillmore_build"
FIXTURES = Path(__file__).resolve().parent / "fixtures"

PRODUCT_CODE = "{6F1C2A0B-3D4E-4F50-8A61-72B3C4D5E6F7}"
REVISION_CODE = "{0D9E8F7A-6B5C-4D3E-9F2A-1B0C9D8E7F6A}"
FAKE_ENGINE = b"MZ fake engine: not a program, only bytes to copy"


def wxs(product_id: str = PRODUCT_CODE[1:-1], components: str = "") -> str:
    """A product.wxs with one file and, optionally, more components."""
    refs = "".join(f'<ComponentRef Id="{name}"/>'
                   for name in ["Readme"] + [part.split('"')[1] for part in components.split("<Component Id=")[1:]])
    return textwrap.dedent(f"""\
        <?xml version="1.0" encoding="utf-8"?>
        <Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
          <Product Id="{product_id}" Name="Test Product" Language="1033" Version="1.0.0"
                   Manufacturer="Brennivax" UpgradeCode="0A1B2C3D-1111-2222-3333-444455556666">
            <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
            <Media Id="1" Cabinet="product.cab" EmbedCab="yes"/>
            <Directory Id="TARGETDIR" Name="SourceDir">
              <Directory Id="ProgramFilesFolder">
                <Directory Id="INSTALLDIR" Name="Test Product">
                  <Component Id="Readme" Guid="11111111-2222-3333-4444-555555555555">
                    <File Id="ReadmeFile" Source="readme.txt" KeyPath="yes"/>
                  </Component>
                  {components}
                </Directory>
              </Directory>
            </Directory>
            <Feature Id="Main" Level="1">{refs}</Feature>
          </Product>
        </Wix>
        """)


def ini_table(section_and_key: str) -> str:
    """tables/IniFile.idt with one row writing a value into readme.ini beside the Readme file."""
    return ("IniFile\tFileName\tDirProperty\tSection\tKey\tValue\tAction\tComponent_\n"
            "s72\tl255\tS72\tl96\tl128\tl255\ti2\ts72\n"
            "IniFile\tIniFile\n"
            f"Setting\treadme.ini\tINSTALLDIR\t{section_and_key}\tvalue\t0\tReadme\n")


def registry_component(name: str, guid: str, condition: str, value: str) -> str:
    return (f'<Component Id="{name}" Guid="{guid}"><Condition>{condition}</Condition>'
            f'<RegistryValue Root="HKLM" Key="SOFTWARE\\Brennivax\\Test" Name="{name}" Type="string" '
            f'Value="{value}" KeyPath="yes"/></Component>')


PROJECT_INI = f"""\
[product]
code = {PRODUCT_CODE}
title = Test Product
revision = {REVISION_CODE}
"""


def write_project(folder: Path, files: dict[str, str | bytes]) -> Path:
    """A project folder: the given files over a minimal valid project."""
    defaults: dict[str, str | bytes] = {
        "project.ini": PROJECT_INI,
        "script.txt": "Set Variable | $A$ | 1\n",
        "product.wxs": wxs(),
        "readme.txt": "Test Product\n",
        "resources/licence.txt": "licence text\n",
    }
    defaults.update(files)
    for name, content in defaults.items():
        if content is None:
            continue
        path = folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        if isinstance(content, bytes):
            path.write_bytes(content)
        else:
            path.write_text(content, encoding="utf-8")
    return folder


def pe_image(appended: bytes = b"") -> bytes:
    """A PE image whose one section ends at byte 0x400, followed by appended bytes."""
    data = bytearray(0x400)
    data[0:2] = b"MZ"
    struct.pack_into("<I", data, 0x3C, 0x40)
    data[0x40:0x44] = b"PE\0\0"
    struct.pack_into("<HH", data, 0x44, 0x14C, 1)      # machine i386, one section
    struct.pack_into("<H", data, 0x44 + 16, 224)        # size of the optional header
    section = 0x44 + 20 + 224
    struct.pack_into("<II", data, section + 16, 0x200, 0x200)  # raw size, raw pointer
    return bytes(data) + appended


class Run:
    def __init__(self, result: subprocess.CompletedProcess[str], out: Path):
        self.code = result.returncode
        self.stdout = result.stdout
        self.stderr = result.stderr
        self.out = out

    def setup_bytes(self, name: str = "setup") -> bytes:
        return (self.out / f"{name}.exe").read_bytes()


def build(project: Path, out: Path, *extra: str, engine: bytes = FAKE_ENGINE) -> Run:
    engine_path = out.parent / (out.name + "-engine.exe")
    engine_path.parent.mkdir(parents=True, exist_ok=True)
    engine_path.write_bytes(engine)
    result = subprocess.run([sys.executable, str(TOOL), str(project), str(out), "--engine", str(engine_path),
                             *extra], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    return Run(result, out)


# The package format, read independently of the tool: list sections end with
# a line holding only "$", value sections are one line.
SECTIONS = [
    ("commands", "list"), ("identifiers", "list"), ("parameters", "list"), ("states", "list"),
    ("product code", 1), ("title", 1), ("plug-in commands", "list"), ("publisher", 6),
    ("web media secrets", "list"), ("media folders", "list"), ("build kind", 1), ("components", "list"),
    ("revision", 1), ("media files", "list"), ("language dialog", 1), ("default language", 1),
    ("headers", "list"), ("build constants", "list"),
]


def read_package(data: bytes) -> dict[str, list[str]]:
    text = data.decode("cp1252")
    assert text.endswith("\r\n") and "\n" not in text.replace("\r\n", ""), "lines must end with CR LF"
    lines = text[:-2].split("\r\n")
    package: dict[str, list[str]] = {}
    at = 0
    for name, kind in SECTIONS:
        if kind == "list":
            end = lines.index("$", at)
            package[name] = lines[at:end]
            at = end + 1
        else:
            package[name] = lines[at:at + kind]
            at += kind
    assert at == len(lines), "nothing may follow the last section"
    return package


def records(package: dict[str, list[str]]) -> dict[int, list[str]]:
    """The fields of each script line's record, by line index."""
    identifiers = package["identifiers"]
    parameters = package["parameters"]
    starts = sorted((parameters.index(i), n) for n, i in enumerate(identifiers) if i in parameters)
    result = {}
    for k, (start, line) in enumerate(starts):
        end = starts[k + 1][0] if k + 1 < len(starts) else len(parameters)
        result[line] = parameters[start + 1:end]
    return result


class TempTest(unittest.TestCase):
    def setUp(self) -> None:
        self._temporary = tempfile.TemporaryDirectory()
        self.addCleanup(self._temporary.cleanup)
        self.root = Path(self._temporary.name)

    def project(self, files: dict[str, str | bytes] | None = None, name: str = "project") -> Path:
        return write_project(self.root / name, files or {})

    def built_package(self, files: dict[str, str | bytes]) -> dict[str, list[str]]:
        run = build(self.project(files), self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        return read_package(run.setup_bytes()[len(FAKE_ENGINE):])


class PackageTextTest(TempTest):
    def test_small_project_gives_exactly_this_package(self) -> None:
        project = self.project({
            "project.ini": textwrap.dedent(f"""\
                ; every section of the package from one small project
                [product]
                code = {PRODUCT_CODE.lower()}
                title = Sample Product
                revision = {REVISION_CODE}
                build kind = 2
                language dialog = yes
                default language = Français

                [publisher]
                publisher = Brennivax
                contact = support@brennivax.example
                help link = https://brennivax.example/help
                update link = https://brennivax.example/updates
                comments = Demo – package
                version = 1.0.0

                [plug-in commands]
                Unpack Extras

                [web media secrets]
                offline = s3cret

                [components]
                VRAK-PREDEF-COMPONENT = 0
                MAIN = 5242880

                [media files]
                OFFLINE | 1A2B3C4D\\extras.dll | OFFLINE

                [build constants]
                BUILDMODE = WEB
                """),
            "script.txt": textwrap.dedent("""\
                ; notes and blank lines are not script lines

                Set Variable | $TARGETDIR$ | C:\\Program Files\\Sample\\
                Set Variable | $CURRENCY$ | $
                # Set Variable | $OLD$ | gone
                If | INSTALLTYPE | 0 | Typical
                [header=3F2A] Write Registry | HKEY_LOCAL_MACHINE | | SOFTWARE\\Sample | Folder | $TARGETDIR$
                End
                [media=OFFLINE] Unpack Extras | a`|b | extras.dll
                """),
            "product.wxs": wxs(components=registry_component(
                "Folder", "22222222-3333-4444-5555-666666666666", "A3F2A", "[P3F2A_3]")),
        })
        run = build(project, self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)

        expected = "\r\n".join([
            # command list
            "Set Variable", "Set Variable", "Set Variable", "If", "Write Registry", "End", "Unpack Extras", "$",
            # line identifiers
            "{3024D164-0991-538B-8F28-93AF0A6283B6}",
            "{8F224FE2-BD62-514F-9199-DB7908489621}",
            "{823A5DA0-2D18-5B88-B765-D9C4C6506C7E}",
            "{EF530138-95D8-5E1E-B4B7-C4C7F1A417B7}",
            "{EAA3614D-A5C2-5032-9E55-A05559D1C319}",
            "{361B5945-25ED-5BF7-BFE2-FE26B1123B78}",
            "{2ED0D7A0-8B0A-59CD-A824-AED1F41490F7}",
            "$",
            # parameters: one record per line with fields; "$" written as $DOLLAR$;
            # If padded to its four fields; End has none
            "{3024D164-0991-538B-8F28-93AF0A6283B6}", "$TARGETDIR$", "C:\\Program Files\\Sample\\",
            "{8F224FE2-BD62-514F-9199-DB7908489621}", "$CURRENCY$", "$DOLLAR$",
            "{823A5DA0-2D18-5B88-B765-D9C4C6506C7E}", "$OLD$", "gone",
            "{EF530138-95D8-5E1E-B4B7-C4C7F1A417B7}", "INSTALLTYPE", "0", "Typical", "",
            "{EAA3614D-A5C2-5032-9E55-A05559D1C319}", "HKEY_LOCAL_MACHINE", "", "SOFTWARE\\Sample", "Folder",
            "$TARGETDIR$",
            "{2ED0D7A0-8B0A-59CD-A824-AED1F41490F7}", "a|b", "extras.dll",
            "$",
            # line states
            "", "", "C", "", "", "", "", "$",
            # product code (upper case), title
            PRODUCT_CODE, "Sample Product",
            # plug-in commands
            "Unpack Extras", "$",
            # publisher lines
            "Brennivax", "support@brennivax.example", "https://brennivax.example/help",
            "https://brennivax.example/updates", "Demo – package", "1.0.0",
            # web media secrets: scrambled as the engine reads them back
            "offline", "225934437582", "$",
            # line media folders
            "", "", "", "", "", "", "OFFLINE\\", "$",
            # build kind
            "2",
            # component sizes
            "VRAK-PREDEF-COMPONENT", "0", "MAIN", "5242880", "$",
            # revision code
            REVISION_CODE,
            # media files
            "OFFLINE", "1A2B3C4D\\extras.dll", "OFFLINE\\", "$",
            # language dialog flag, default language
            "TRUE", "Français",
            # command headers: header, line index
            "3F2A", "4", "$",
            # build constants
            "BUILDMODE", "WEB", "$",
        ]) + "\r\n"
        package = run.setup_bytes()[len(FAKE_ENGINE):]
        self.assertEqual(package.decode("cp1252"), expected)
        self.assertEqual(package, expected.encode("cp1252"))

    def test_rebuilding_gives_the_same_setup_program(self) -> None:
        project = self.project({"script.txt": "Set Variable | $A$ | 1\nWrite Registry | 2 | | K | N | V\n"})
        first = build(project, self.root / "one")
        second = build(project, self.root / "two")
        self.assertEqual(first.code, 0, first.stderr)
        self.assertEqual(first.setup_bytes(), second.setup_bytes())

    def test_lines_of_other_commands_do_not_move_identifiers_or_headers(self) -> None:
        script = "Set Variable | $A$ | 1\nWrite Registry | 2 | | K | N | V\n"
        before = self.built_package({"script.txt": script})
        after = self.built_package({"script.txt": "Comment | new first line\nIf | A | 0 | 1\nEnd\n" + script})
        self.assertEqual(after["identifiers"][3:], before["identifiers"])
        self.assertEqual(after["headers"][0], before["headers"][0])
        self.assertEqual(after["headers"][1], "4")

    def test_script_line_syntax(self) -> None:
        # (script line, command, fields, state, media folder)
        cases = [
            ("  Set Variable  |  $A$  |  x  ", "Set Variable", ["$A$", "x"], "", ""),
            ("Set Variable | $A$ | a`|b", "Set Variable", ["$A$", "a|b"], "", ""),
            ("Set Variable | $A$ | `  x` ", "Set Variable", ["$A$", "  x "], "", ""),
            ("Set Variable | $A$ |", "Set Variable", ["$A$", ""], "", ""),
            ("Set Variable | $A$ | $", "Set Variable", ["$A$", "$DOLLAR$"], "", ""),
            ("Set Variable | $A$ | $$", "Set Variable", ["$A$", "$$"], "", ""),
            ("Set Variable | $A$ | ``", "Set Variable", ["$A$", "`"], "", ""),
            ("Set Variable | $A$ | #5 ; [x]", "Set Variable", ["$A$", "#5 ; [x]"], "", ""),
            ("# Set Variable | $A$ | x", "Set Variable", ["$A$", "x"], "C", ""),
            ("#Set Variable | $A$ | x", "Set Variable", ["$A$", "x"], "C", ""),
            ("`#Hash Command | x", "#Hash Command", ["x"], "", ""),
            ("`;Semi Command", ";Semi Command", [], "", ""),
            ("`[Bracket Command", "[Bracket Command", [], "", ""),
            ("[media=OFFLINE] Comment | x", "Comment", ["x"], "", "OFFLINE\\"),
            ("# [media = DISK1\\] Comment | x", "Comment", ["x"], "C", "DISK1\\"),
            ("Code Folding Region", "Code Folding Region", [], "", ""),
        ]
        for line, command, fields, state, media in cases:
            with self.subTest(line=line):
                package = self.built_package({"script.txt": f"; a note\n\n{line}\n"})
                self.assertEqual(package["commands"], [command])
                self.assertEqual(records(package).get(0, []), fields)
                self.assertEqual(package["states"], [state])
                self.assertEqual(package["media folders"], [media])

    def test_records_are_padded_to_the_fields_a_command_reads(self) -> None:
        settings = PROJECT_INI + "[plug-in commands]\nMy Plugin\n[field counts]\nCustom = 3\n"
        # (script, the field count of each line's record; None: no record)
        cases = [
            ("If | A | 0 | x\nEnd\n", [4, None]),
            ("If | A | 0\nElse If | A | 0 | 1 | TRUE\nElse\nEnd\n", [4, 4, None, None]),
            ("Set Variable | $A$\n", [2]),
            ("Display Dialog | Welcome | RESULT | TRUE\n", [6]),
            ("My Plugin | parameter text\n", [2]),
            ("Custom | a\n", [3]),
            ("Code Folding Region | a\nCode Folding Region | a | b | c\n", [3, 3]),
            ("Comment\nComment | text\n", [1, 1]),
            ("Write Registry | 2 | | K | N | V | extra | extra\n", [7]),
            ("Create ODBC DSN | Driver | Name\n", [2]),
            ("Terminate Install\n", [None]),
        ]
        for script, counts in cases:
            with self.subTest(script=script):
                package = self.built_package({"project.ini": settings, "script.txt": script})
                found = records(package)
                self.assertEqual([len(found[n]) if n in found else None for n in range(len(counts))], counts)
                for fields in found.values():
                    self.assertNotIn("$", fields)

    def test_settings_and_their_defaults(self) -> None:
        # (project.ini additions, section, expected entries)
        cases = [
            ("", "build kind", ["1"]),
            ("build kind = -3\n", "build kind", ["-3"]),
            ("build kind = 007\n", "build kind", ["7"]),
            ("", "language dialog", ["FALSE"]),
            ("language dialog = TRUE\n", "language dialog", ["TRUE"]),
            ("language dialog = On\n", "language dialog", ["TRUE"]),
            ("", "default language", ["English"]),
            ("", "components", ["VRAK-PREDEF-COMPONENT", "0"]),
            ("", "publisher", ["", "", "", "", "", ""]),
            ("", "revision", [REVISION_CODE]),
        ]
        for addition, section, entries in cases:
            with self.subTest(addition=addition, section=section):
                package = self.built_package({"project.ini": PROJECT_INI + addition})
                self.assertEqual(package[section], entries)


class HeaderTest(TempTest):
    def test_deferred_lines_get_headers_that_the_installer_database_can_name(self) -> None:
        script = textwrap.dedent("""\
            Set Variable | $A$ | 1
            Install Files | x | y | $TARGETDIR$
            # Create Folder | $TARGETDIR$Logs\\
            [header=BEEF] Set Variable | $B$ | 2
            Write Registry | 2 | | K | N | V
            """)
        package = self.built_package({"script.txt": script})
        headers = package["headers"]
        pairs = list(zip(headers[0::2], headers[1::2]))
        self.assertEqual([index for _, index in pairs], ["1", "2", "3", "4"])
        self.assertEqual(pairs[2][0], "BEEF")
        generated = [header for header, index in pairs if index != "3"]
        for header in generated:
            self.assertRegex(header, r"^[0-9A-F]{8}$")
            self.assertFalse(header.isdigit())
        self.assertEqual(len(set(generated)), 3)

        # The printed map names them, and product.wxs can use them.
        components = "".join(
            registry_component(f"C{n}", f"33333333-4444-5555-6666-77777777777{n}", f"A{header}", f"[P{header}_1]")
            for n, header in enumerate(generated))
        project = self.project({"script.txt": script, "product.wxs": wxs(components=components)}, "named")
        run = build(project, self.root / "named-out")
        self.assertEqual(run.code, 0, run.stderr)
        for header in generated:
            self.assertIn(header, run.stdout)
        listing = subprocess.run(["msiinfo", "export", str(run.out / "setup.msi"), "Component"],
                                 stdout=subprocess.PIPE, text=True, check=True).stdout
        for header in generated:
            self.assertIn(f"\tA{header}\t", listing)

    def test_a_deferred_line_that_the_database_ignores_is_reported(self) -> None:
        run = build(self.project({"script.txt": "x\n[header=3F2A] Write Registry | 2 | | K | N | V\n"}),
                    self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        self.assertIn("script.txt:2", run.stderr)
        self.assertIn("3F2A", run.stderr)


class ErrorTest(TempTest):
    def test_bad_input_is_refused_with_its_place_and_nothing_is_written(self) -> None:
        bad_wxs_reference = wxs(components=registry_component(
            "Folder", "22222222-3333-4444-5555-666666666666", "A3F2B", "x"))
        too_many_values = wxs(components=registry_component(
            "Folder", "22222222-3333-4444-5555-666666666666", "A3F2A", "[P3F2A_4]"))
        deferred = "[header=3F2A] Write Registry | 2 | | K | N | V\n"
        other_id = "{11111111-2222-3333-4444-555555555555}"
        # (description, project files, place, words of the message)
        cases = [
            ("build kind not a number", {"project.ini": PROJECT_INI + "build kind = two\n"},
             "project.ini:5", "build kind must be a whole number"),
            ("build kind beyond 32 bits", {"project.ini": PROJECT_INI + "build kind = 2147483648\n"},
             "project.ini:5", "build kind must be a whole number"),
            ("script text outside the code page", {"script.txt": "Set Variable | $A$ | 1\nSet Variable | $B$ | Łódź\n"},
             "script.txt:2", "U+0141"),
            ("title outside the code page", {"project.ini": PROJECT_INI.replace("Test Product", "Test ✓")},
             "project.ini:3", "U+2713"),
            ("header that no line has", {"script.txt": deferred, "product.wxs": bad_wxs_reference},
             "product.wxs:", "command header 3F2B"),
            ("value property the line does not record", {"script.txt": deferred, "product.wxs": too_many_values},
             "product.wxs:", "P3F2A_4"),
            ("header given twice", {"script.txt": deferred + deferred},
             "script.txt:2", "also given to line 1"),
            ("header not hexadecimal", {"script.txt": "[header=XYZ] Write Registry | 2\n"},
             "script.txt:1", "hexadecimal"),
            ("header reading as a line index", {"script.txt": "Comment\nComment\n[header=1] Write Registry\n"},
             "script.txt:3", "line index"),
            ("identifier given twice", {"script.txt": f"[id={other_id}] Comment\n[id={other_id}] Comment\n"},
             "script.txt:2", "also given to line 1"),
            ("field equal to a line identifier",
             {"script.txt": f"[id={other_id}] Comment | x\nSet Variable | $A$ | {other_id.lower()}\n"},
             "script.txt:2", "equals the identifier"),
            ("first component not the predefined one",
             {"project.ini": PROJECT_INI + "[components]\nMAIN = 1\nVRAK-PREDEF-COMPONENT = 0\n"},
             "project.ini:6", "VRAK-PREDEF-COMPONENT"),
            ("component name in lower case",
             {"project.ini": PROJECT_INI + "[components]\nVRAK-PREDEF-COMPONENT = 0\nmain = 1\n"},
             "project.ini:7", "upper case"),
            ("component size not a number",
             {"project.ini": PROJECT_INI + "[components]\nVRAK-PREDEF-COMPONENT = 0\nMAIN = 5 MB\n"},
             "project.ini:7", "number of bytes"),
            ("more fields than the command reads", {"script.txt": "Set Variable | $A$ | a|b\n"},
             "script.txt:1", "reads 2 field(s)"),
            ("unknown escape", {"script.txt": "Set Variable | $A$ | `x\n"}, "script.txt:1", "unknown escape"),
            ("unknown option", {"script.txt": "[colour=red] Comment\n"}, "script.txt:1", "unknown option"),
            ("a list entry that would end the list", {"project.ini": PROJECT_INI + "[plug-in commands]\n$\n"},
             "project.ini:6", "exactly '$'"),
            ("product code not a GUID", {"project.ini": PROJECT_INI.replace(PRODUCT_CODE, "{6F1C2A0B}")},
             "project.ini:2", "not a GUID"),
            ("Product Id differing from the product code",
             {"product.wxs": wxs("7F1C2A0B-3D4E-4F50-8A61-72B3C4D5E6F7")}, "product.wxs:3", "differs"),
            ("Product Id chosen by wixl", {"product.wxs": wxs("*")}, "product.wxs:3", "not '*'"),
            ("Package Id differing from the revision code",
             {"product.wxs": wxs().replace("<Package ", f'<Package Id="{PRODUCT_CODE[1:-1]}" ')},
             "product.wxs:5", "revision code"),
            ("table file naming a header that no line has",
             {"script.txt": deferred, "product.wxs": wxs(components=registry_component(
                 "Folder", "22222222-3333-4444-5555-666666666666", 'A3F2A = "TRUE"', "[P3F2A_3]")),
              "tables/IniFile.idt": ini_table("[P3F2A_1]\t[P3F2B_2]")},
             "tables/IniFile.idt:4", "command header 3F2B"),
            ("table file replacing rows of product.wxs",
             {"tables/File.idt": "File\tComponent_\ns72\ts72\nFile\tFile\n"},
             "tables/File.idt", "rows built from product.wxs"),
            ("table file whose third line names another table",
             {"tables/IniFile.idt": ini_table("a\tb").replace("\nIniFile\tIniFile\n", "\nIni\tIniFile\n")},
             "tables/IniFile.idt:3", "third line"),
            ("table file with other than ASCII", {"tables/IniFile.idt": ini_table("Größe\tb")},
             "tables/IniFile.idt:4", "ASCII"),
            ("misspelt setting", {"project.ini": PROJECT_INI + "titel = x\n"}, "project.ini:5", "unknown setting"),
            ("missing title", {"project.ini": PROJECT_INI.replace("title = Test Product\n", "")},
             "project.ini", "title"),
            ("setup name that is no file name", {"project.ini": PROJECT_INI + "setup name = a/b\n"},
             "project.ini:5", "setup name"),
            ("media file path without its folder",
             {"project.ini": PROJECT_INI + "[media files]\nOFFLINE | extras.dll | OFFLINE\\\n"},
             "project.ini:6", "eight hexadecimal digits"),
            ("script that is not UTF-8", {"script.txt": b"Set Variable | $A$ | \xe9t\xe9\n"},
             "script.txt:1", "not UTF-8"),
            ("no resources folder", {"resources/licence.txt": None}, "no-resources-folder", "resources/"),
        ]
        for description, files, place, words in cases:
            with self.subTest(description):
                name = description.replace(" ", "-")
                project = self.project(files, name)
                run = build(project, self.root / f"{name}-out")
                self.assertEqual(run.code, 1, run.stdout + run.stderr)
                self.assertIn(place, run.stderr)
                self.assertIn(words, run.stderr)
                self.assertFalse((run.out / "setup.exe").exists())

    def test_programs_that_already_carry_appended_data_are_refused(self) -> None:
        project = self.project()
        bare_library = self.root / "qvx.lib"
        bare_library.write_bytes(pe_image())
        actions = self.root / "actions.dll"
        actions.write_bytes(pe_image())
        bare = build(project, self.root / "bare", "--qvx", str(bare_library), "--actions", str(actions),
                     engine=pe_image())
        self.assertEqual(bare.code, 0, bare.stderr)
        self.assertNotIn("warning", bare.stderr)
        self.assertEqual(bare.setup_bytes()[:0x400], pe_image())

        carrying = build(project, self.root / "carrying", "--qvx", str(bare_library),
                         engine=pe_image(b"Set Variable\r\n$\r\n"))
        self.assertEqual(carrying.code, 1)
        self.assertIn("engine already carries 17 bytes of appended data", carrying.stderr)

        used_library = self.root / "used-qvx.lib"
        used_library.write_bytes(pe_image(b"catalogue\r\n"))
        library = build(project, self.root / "library", "--qvx", str(used_library), engine=pe_image())
        self.assertEqual(library.code, 1)
        self.assertIn("archive library already carries 11 bytes of appended data", library.stderr)

    def test_a_wrong_command_line_is_a_usage_error(self) -> None:
        result = subprocess.run([sys.executable, str(TOOL), str(self.root)], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)
        self.assertEqual(result.returncode, 2)

    def test_the_header_check_can_be_turned_off(self) -> None:
        files = {"project.ini": PROJECT_INI + "check headers = no\n",
                 "product.wxs": wxs(components=registry_component(
                     "Folder", "22222222-3333-4444-5555-666666666666", "A3F2B", "x"))}
        run = build(self.project(files), self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)


class SetupFolderTest(TempTest):
    def full_project(self, password: str = "") -> Path:
        settings = PROJECT_INI + "setup name = Install Me\n"
        if password:
            settings += f"resource password = {password}\n"
        return self.project({
            "project.ini": settings,
            "script.txt": "[header=3F2A] Write Registry | 2 | | K | N | V\n",
            "product.wxs": wxs(components=registry_component(
                "Folder", "22222222-3333-4444-5555-666666666666", 'A3F2A = "TRUE"', "[P3F2A_3]")),
            "resources/Welcome.dfm": "object Welcome: TWizardForm\nend\n",
            "resources/pictures/side.bmp": b"BM....",
            "setup.bmp": b"BM splash",
            "data/OFFLINE/readme.txt": "offline media\n",
        })

    def list_archive(self, archive: Path, password: str | None = None) -> subprocess.CompletedProcess[str]:
        arguments = ["7zz", "l", "-slt", str(archive)] + ([f"-p{password}"] if password is not None else [])
        return subprocess.run(arguments, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True)

    def test_the_setup_folder_holds_what_the_engine_looks_for(self) -> None:
        project = self.full_project()
        qvx = self.root / "qvx.lib"
        qvx.write_bytes(b"archive library bytes")
        catalogue = self.root / "catalogue.txt"
        catalogue.write_text("Setup resource not found\nGérer\n", encoding="utf-8")
        run = build(project, self.root / "out", "--qvx", str(qvx), "--catalogue", str(catalogue))
        self.assertEqual(run.code, 0, run.stderr)
        out = run.out

        self.assertEqual(sorted(p.name for p in out.iterdir()),
                         ["Install Me.exe", "Install Me.msi", "Install Me.res", "data", "qvx.lib", "setup.bmp"])

        setup = run.setup_bytes("Install Me")
        self.assertTrue(setup.startswith(FAKE_ENGINE))
        package = read_package(setup[len(FAKE_ENGINE):])
        self.assertEqual(package["commands"], ["Write Registry"])

        self.assertEqual((out / "qvx.lib").read_bytes(),
                         b"archive library bytes" + "Setup resource not found\r\nGérer\r\n".encode("cp1252"))
        self.assertEqual((out / "setup.bmp").read_bytes(), b"BM splash")
        self.assertEqual((out / "data" / "OFFLINE" / "readme.txt").read_text(), "offline media\n")
        marker = out / "data" / PRODUCT_CODE
        self.assertTrue(marker.is_file())
        self.assertEqual(marker.stat().st_size, 0)

        listing = self.list_archive(out / "Install Me.res")
        self.assertEqual(listing.returncode, 0, listing.stdout)
        self.assertIn("Type = 7z", listing.stdout)
        self.assertIn("Path = Welcome.dfm", listing.stdout)
        self.assertIn("Path = pictures/side.bmp", listing.stdout)

        properties = subprocess.run(["msiinfo", "export", str(out / "Install Me.msi"), "Property"],
                                    stdout=subprocess.PIPE, text=True, check=True).stdout
        self.assertIn(f"ProductCode\t{PRODUCT_CODE}", properties)
        components = subprocess.run(["msiinfo", "export", str(out / "Install Me.msi"), "Component"],
                                    stdout=subprocess.PIPE, text=True, check=True).stdout
        self.assertIn('\tA3F2A = "TRUE"\t', components)

        # Nothing of the build is left behind in the project or the setup folder.
        self.assertEqual(sorted(p.name for p in project.iterdir()),
                         ["data", "product.wxs", "project.ini", "readme.txt", "resources", "script.txt", "setup.bmp"])

    def test_a_password_hides_the_resource_archive(self) -> None:
        run = build(self.full_project("s3cret"), self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        archive = run.out / "Install Me.res"
        self.assertNotEqual(self.list_archive(archive, "not-it").returncode, 0)
        opened = self.list_archive(archive, "s3cret")
        self.assertEqual(opened.returncode, 0, opened.stdout)
        self.assertIn("Path = Welcome.dfm", opened.stdout)
        self.assertIn("Encrypted = +", opened.stdout)
        self.assertNotIn("s3cret", run.stdout + run.stderr)

    def test_pages_the_project_lacks_come_from_the_stock_set(self) -> None:
        settings = PROJECT_INI + "resource password = s3cret\n"
        project = self.project({
            "project.ini": settings,
            "script.txt": ("Display Dialog | welcome | R | TRUE | | |\n"
                           "Display Dialog | licence | R | TRUE | | |\n"
                           "# Display Dialog | finish | R | TRUE | | |\n"
                           "Display Dialog | Own | R | TRUE | | |\n"),
            "product.wxs": wxs(),
            "resources/Welcome.dfm": "object PoolTemplate: TPoolTemplate\nend\n",
            "resources/own.dfm": "object PoolTemplate: TPoolTemplate\nend\n",
        })
        run = build(project, self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        listing = self.list_archive(run.out / "setup.res", "s3cret")
        self.assertEqual(listing.returncode, 0, listing.stdout)
        paths = sorted(line[len("Path = "):] for line in listing.stdout.splitlines()
                       if line.startswith("Path = ") and not line.endswith(".res"))
        # The project's own welcome page stays; the licence page and its rules
        # come from the stock set; a commented-out line takes nothing.
        self.assertEqual(paths, ["Welcome.dfm", "licence.dfm", "licence.dfm.qvxf", "licence.txt", "own.dfm"])

    def test_a_rebuild_leaves_nothing_of_the_previous_build(self) -> None:
        project = self.full_project()
        out = self.root / "out"
        self.assertEqual(build(project, out).code, 0)
        (project / "resources" / "Welcome.dfm").unlink()
        (project / "setup.bmp").unlink()
        (project / "data" / "OFFLINE" / "readme.txt").rename(project / "data" / "OFFLINE" / "notes.txt")
        run = build(project, out)
        self.assertEqual(run.code, 0, run.stderr)
        listing = self.list_archive(out / "Install Me.res").stdout
        self.assertNotIn("Welcome.dfm", listing)
        self.assertIn("pictures/side.bmp", listing)
        self.assertFalse((out / "setup.bmp").exists())
        self.assertEqual(sorted(p.name for p in (out / "data" / "OFFLINE").iterdir()), ["notes.txt"])

    def test_a_failed_rebuild_leaves_no_setup_program(self) -> None:
        project = self.full_project()
        out = self.root / "out"
        self.assertEqual(build(project, out).code, 0)
        # wixl fails: the file of the product is gone.
        (project / "readme.txt").unlink()
        run = build(project, out)
        self.assertEqual(run.code, 1)
        self.assertIn("wixl", run.stderr)
        self.assertFalse((out / "Install Me.exe").exists())
        self.assertEqual([p.name for p in project.iterdir() if p.name.startswith(".")], [])

    def test_the_minimal_fixture_builds(self) -> None:
        run = build(FIXTURES / "minimal", self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        package = read_package(run.setup_bytes()[len(FAKE_ENGINE):])
        self.assertIn("Write Registry", package["commands"])
        self.assertTrue((run.out / "setup.msi").is_file())
        self.assertTrue((run.out / "setup.res").is_file())


def msi_rows(database: Path, table: str) -> list[list[str]]:
    """A table of a built database, read with msiinfo, without its three header lines."""
    listing = subprocess.run(["msiinfo", "export", str(database), table], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
    return [row.split("\t") for row in listing.stdout.splitlines()[3:]] if listing.returncode == 0 else []


def package_code(database: Path) -> str:
    summary = subprocess.run(["msiinfo", "suminfo", str(database)], stdout=subprocess.PIPE, text=True,
                             check=True).stdout
    return next(line.split(": ", 1)[1] for line in summary.splitlines() if line.startswith("Revision number"))


class InstallerDatabaseTest(TempTest):
    """What the tool adds to the database wixl builds: the custom action that
    reads the engine's installer property file, and the package code."""

    ACTION = "QuillmoreReadInstallerProperties"

    def action_library(self) -> Path:
        library = self.root / "quillmore_actions.dll"
        library.write_bytes(pe_image(b"custom action library"))
        return library

    def test_the_custom_action_runs_before_costing_in_both_sequences(self) -> None:
        # A project with its own sequence rows and a Component condition: all
        # of it reaches the database together with the tool's rows.
        own_rows = ('<CustomAction Id="UseChosenFolder" Property="INSTALLDIR" Value="[TARGETDIR]"/>'
                    '<InstallExecuteSequence><Custom Action="UseChosenFolder" Sequence="990">'
                    'QMPROPERTYFILE</Custom></InstallExecuteSequence>')
        product = wxs(components=registry_component("Value", "22222222-3333-4444-5555-666666666666",
                                                    'A3F2A = "TRUE"', "[P3F2A_3]"))
        product = product.replace("<Feature ", own_rows + "<Feature ")
        project = self.project({"script.txt": "[header=3F2A] Write Registry | 2 | | K | N | V\n",
                                "product.wxs": product})
        library = self.action_library()
        run = build(project, self.root / "out", "--actions", str(library))
        self.assertEqual(run.code, 0, run.stderr)
        self.assertNotIn("--actions", run.stderr)
        database = run.out / "setup.msi"

        actions = {row[0]: row[1:4] for row in msi_rows(database, "CustomAction")}
        # Type 1: a DLL kept in the Binary table, run at once, its result checked.
        self.assertEqual(actions[self.ACTION], ["1", "QuillmoreActions", "ReadInstallerProperties"])
        self.assertIn("UseChosenFolder", actions)
        for table in ("InstallExecuteSequence", "InstallUISequence"):
            with self.subTest(table):
                sequence = {row[0]: (row[1], int(row[2])) for row in msi_rows(database, table)}
                self.assertEqual(sequence[self.ACTION][0], "", "the action runs in every installation")
                self.assertLess(sequence["ValidateProductID"][1], sequence[self.ACTION][1])
                self.assertLess(sequence[self.ACTION][1], sequence["CostInitialize"][1])
        own = {row[0]: (row[1], int(row[2])) for row in msi_rows(database, "InstallExecuteSequence")}
        self.assertEqual(own["UseChosenFolder"][0], "QMPROPERTYFILE")
        self.assertLess(own[self.ACTION][1], own["UseChosenFolder"][1])
        self.assertLess(own["UseChosenFolder"][1], own["CostFinalize"][1])
        self.assertIn(["Value", 'A3F2A = "TRUE"'], [[row[0], row[4]] for row in msi_rows(database, "Component")])

        stream = subprocess.run(["msiinfo", "extract", str(database), "Binary.QuillmoreActions"],
                                stdout=subprocess.PIPE, check=True).stdout
        self.assertEqual(stream, library.read_bytes())
        self.assertEqual([p.name for p in project.iterdir() if p.name.startswith(".")], [],
                         "the copy wixl built is gone")

    def test_without_the_library_the_database_has_no_action_and_a_warning_says_so(self) -> None:
        run = build(self.project(), self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        self.assertIn("warning: no --actions given", run.stderr)
        self.assertNotIn(self.ACTION, [row[0] for row in msi_rows(run.out / "setup.msi", "CustomAction")])

    def test_a_file_that_is_no_library_is_refused(self) -> None:
        text = self.root / "actions.txt"
        text.write_text("not a library")
        run = build(self.project(), self.root / "out", "--actions", str(text))
        self.assertEqual(run.code, 1)
        self.assertIn("actions.txt: the custom action library is not a Windows library", run.stderr)
        self.assertFalse((run.out / "setup.exe").exists())

    def test_files_in_the_cabinet_say_so(self) -> None:
        # The engine marks the database as one of uncompressed files before
        # installing; a file of the embedded cabinet must still be taken from it.
        run = build(self.project(), self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        files = {row[0]: int(row[6]) for row in msi_rows(run.out / "setup.msi", "File")}
        self.assertEqual(files["ReadmeFile"] & (16384 | 8192), 16384)
        self.assertEqual(files["ReadmeFile"] & ~(16384 | 8192), 512, "wixl's own attributes stay")

    def test_table_files_add_what_wixl_cannot_build(self) -> None:
        product = wxs(components=registry_component("Value", "22222222-3333-4444-5555-666666666666",
                                                    'A3F2A = "TRUE"', "[P3F2A_3]"))
        product = product.replace("<Feature ", '<InstallExecuteSequence><WriteIniValues Sequence="5100"/>'
                                               '</InstallExecuteSequence><Feature ')
        project = self.project({"script.txt": "[header=3F2A] Write Registry | 2 | | K | N | V\n",
                                "product.wxs": product,
                                "tables/IniFile.idt": ini_table("[P3F2A_1]\t[P3F2A_2]"),
                                # A table wixl makes without rows may be filled.
                                "tables/RemoveFile.idt": ("FileKey\tComponent_\tFileName\tDirProperty\tInstallMode\n"
                                                          "s72\ts72\tL255\ts72\ti2\nRemoveFile\tFileKey\n"
                                                          "RemoveIni\tReadme\treadme.ini\tINSTALLDIR\t2\n")})
        run = build(project, self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        database = run.out / "setup.msi"
        self.assertEqual(msi_rows(database, "IniFile"),
                         [["Setting", "readme.ini", "INSTALLDIR", "[P3F2A_1]", "[P3F2A_2]", "value", "0", "Readme"]])
        self.assertEqual(msi_rows(database, "RemoveFile"), [["RemoveIni", "Readme", "readme.ini", "INSTALLDIR", "2"]])
        self.assertIn(["WriteIniValues", "", "5100"], msi_rows(database, "InstallExecuteSequence"))
        self.assertIn(["Value", 'A3F2A = "TRUE"'], [[row[0], row[4]] for row in msi_rows(database, "Component")],
                      "the Component conditions are written as well")

    def test_the_package_code_is_the_revision_code(self) -> None:
        # With and without the tool's own copy of product.wxs, and with the
        # Package Id that says the same.
        same_id = wxs().replace("<Package ", f'<Package Id="{REVISION_CODE[1:-1].lower()}" ')
        cases = [("plain", {}, []), ("with the action", {}, ["--actions", str(self.action_library())]),
                 ("Package Id given", {"product.wxs": same_id}, [])]
        for description, files, options in cases:
            with self.subTest(description):
                name = description.replace(" ", "-")
                run = build(self.project(files, name), self.root / f"{name}-out", *options)
                self.assertEqual(run.code, 0, run.stderr)
                self.assertEqual(package_code(run.out / "setup.msi"), REVISION_CODE)
                summary = subprocess.run(["msiinfo", "suminfo", str(run.out / "setup.msi")],
                                         stdout=subprocess.PIPE, text=True, check=True).stdout
                self.assertIn("Template: Intel;1033", summary, "the rest of the summary stays")
                self.assertIn("Author: Brennivax", summary)

if __name__ == "__main__":
    unittest.main()
