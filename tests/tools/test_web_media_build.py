"""Tests of web media builds (build kind 2) of tools/quillmore_build: the
product's data split into encrypted block archives, the package tables the
engine fetches them with, and the offline medium. The archives are read with
the real 7zz; what the engine does with them (extract, distribute, copy) is
done here by hand, to show that the files end up where Windows Installer
looks for them.

    python3 -m unittest discover -s tests/tools -v
"""

from __future__ import annotations

import re
import shutil
import subprocess
import textwrap
from pathlib import Path

from test_quillmore_build import FAKE_ENGINE, PROJECT_INI, TempTest, build, read_package, records

SECRET_SOURCE = Path(__file__).resolve().parents[2] / "script" / "secret_text.cpp"

WEB_PROJECT_INI = PROJECT_INI + textwrap.dedent("""\
    build kind = 2
    data block = MAIN\\

    [plug-in commands]
    Dump Vars

    [web media blocks]
    ; block = password | download locations
    MAIN\\ = main pass | http://downloads.test/demo/MAIN.7zip | http://mirror.test/demo/MAIN.7zip
    PLUGINS\\ = plug`|in | http://downloads.test/demo/PLUGINS.7zip
    OFFLINE\\ = off-line | http://downloads.test/demo/OFFLINE.7zip
    """)

WEB_SCRIPT = textwrap.dedent("""\
    Web Media Block | MAIN
    [media=MAIN\\] Install Files | files | | $TARGETDIR$
    Web Media Block | PLUGINS | http://own.test/PLUGINS.7zip
    [media=PLUGINS\\] Dump Vars | dump.dll
    Web Media Block | OFFLINE
    [media=OFFLINE\\] Dump Vars | tools\\offline.dll
    Apply Changes | progress | RESULT | TRUE | FALSE
    """)

# The product's data, as a kind-1 build copies it into data\.
DATA = {
    "data/root.txt": "at the top of the source folder\n",
    "data/Program Files/Product/app.exe": "MZ app\n",
    "data/Program Files/Product/help/app.chm": "help\n",
    "data/Program Files/readme.txt": "one level down\n",
    "data/Common/app.exe": "another app.exe, in another folder\n",
    "data/PLUGINS/dump.dll": "MZ plug-in\n",
    "data/OFFLINE/tools/offline.dll": "MZ offline plug-in\n",
}


def unscramble(text: str) -> str:
    """The engine's reading of a scrambled secret, with the key taken from
    the engine's own source, so that the tool and the engine agree."""
    source = SECRET_SOURCE.read_text(encoding="utf-8")
    key_text = re.search(r"kKey\[16\] = \{([^}]*)\}", source).group(1)
    key = [int(byte, 16) for byte in re.findall(r"0x([0-9A-Fa-f]{2})", key_text)]
    assert len(key) == 16, key_text
    data = bytes.fromhex(text)
    return bytes(b ^ key[i % 16] ^ ((i * 31) & 0xFF) for i, b in enumerate(data)).decode("cp1252")


def seven_zip(*arguments: str, cwd: Path | None = None) -> subprocess.CompletedProcess[str]:
    return subprocess.run(["7zz", *arguments], cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True)


def archive_names(archive: Path, password: str) -> list[str]:
    listing = seven_zip("l", "-slt", f"-p{password}", str(archive))
    assert listing.returncode == 0, listing.stdout
    return sorted(line[len("Path = "):] for line in listing.stdout.splitlines()
                  if line.startswith("Path = ") and line != f"Path = {archive}")


def tree(folder: Path) -> dict[str, str]:
    """The files below a folder, by relative path, with their text."""
    return {p.relative_to(folder).as_posix(): p.read_text() for p in sorted(folder.rglob("*")) if p.is_file()}


def triples(package: dict[str, list[str]]) -> list[tuple[str, str, str]]:
    entries = package["media files"]
    return [tuple(entries[i:i + 3]) for i in range(0, len(entries), 3)]  # type: ignore[misc]


def windows_path(folder: Path, relative: str) -> Path:
    return folder.joinpath(*[part for part in relative.split("\\") if part])


def fetch_block(archive: Path, password: str, media_files: list[tuple[str, str, str]], web_data: Path,
                scratch: Path) -> None:
    """What the engine does with a block's archive: extract it into its
    temporary folder, move every file of the media file list to its folder,
    and move the rest of the block's top folder into the web data folder."""
    name = archive.stem
    extracted = seven_zip("x", "-y", f"-p{password}", f"-o{scratch}", str(archive))
    assert extracted.returncode == 0, extracted.stdout
    for media, path, folder in media_files:
        if media.upper() != name.upper():
            continue
        target_folder = windows_path(web_data, folder)
        target_folder.mkdir(parents=True, exist_ok=True)
        shutil.move(str(windows_path(scratch / name, path)), str(target_folder / path.split("\\")[-1]))
    shutil.copytree(scratch / name, web_data / name, dirs_exist_ok=True)


def copy_offline_medium(medium: Path, web_data: Path) -> None:
    """What the engine does for the block OFFLINE\\ from a medium: offline\\
    into the web data folder's offline\\, mergemod\\ into the web data folder."""
    shutil.copytree(medium / "offline", web_data / "offline", dirs_exist_ok=True)
    shutil.copytree(medium / "mergemod", web_data, dirs_exist_ok=True)


def without_empty_folders_and_case(files: dict[str, str]) -> dict[str, str]:
    return {path.upper(): text for path, text in files.items()}


class WebMediaBuildTest(TempTest):
    def web_project(self, settings: str = WEB_PROJECT_INI, script: str = WEB_SCRIPT,
                    data: dict[str, str] | None = None) -> Path:
        return self.project({"project.ini": settings, "script.txt": script, **(DATA if data is None else data)})

    def build_web(self, project: Path) -> tuple[Path, dict[str, list[str]]]:
        run = build(project, self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        return run.out, read_package(run.setup_bytes()[len(FAKE_ENGINE):])

    def test_each_block_is_an_archive_under_its_own_top_folder_and_password(self) -> None:
        out, _ = self.build_web(self.web_project())
        self.assertEqual(sorted(p.name for p in out.iterdir()),
                         ["medium", "setup.exe", "setup.msi", "setup.res", "web"],
                         "the setup program travels without a data folder")
        self.assertEqual(sorted(p.name for p in (out / "web").iterdir()),
                         ["MAIN.7zip", "OFFLINE.7zip", "PLUGINS.7zip"])
        expected = {
            ("MAIN", "main pass"): ["MAIN", "MAIN/00000001", "MAIN/00000001/root.txt", "MAIN/00000002",
                                    "MAIN/00000002/app.exe", "MAIN/00000003", "MAIN/00000003/readme.txt",
                                    "MAIN/00000004", "MAIN/00000004/app.exe", "MAIN/00000005",
                                    "MAIN/00000005/app.chm"],
            ("PLUGINS", "plug|in"): ["PLUGINS", "PLUGINS/dump.dll"],
            ("OFFLINE", "off-line"): ["OFFLINE", "OFFLINE/tools", "OFFLINE/tools/offline.dll"],
        }
        for (name, password), names in expected.items():
            archive = out / "web" / f"{name}.7zip"
            listing = seven_zip("l", "-slt", f"-p{password}", str(archive))
            self.assertIn("Type = 7z", listing.stdout, name)
            self.assertEqual(archive_names(archive, password), names, name)
            for wrong in ("", "Main Pass", password + "x"):
                refused = seven_zip("l", f"-p{wrong}", str(archive))
                self.assertNotEqual(refused.returncode, 0, f"{name} opened with the password '{wrong}'")
                self.assertNotIn(names[-1].split("/")[-1], refused.stdout, "the names are encrypted too")

    def test_the_package_tells_the_engine_how_to_fetch_and_distribute(self) -> None:
        _, package = self.build_web(self.web_project())
        self.assertEqual(package["build kind"], ["2"])

        secrets = package["web media secrets"]
        self.assertEqual({secrets[i]: unscramble(secrets[i + 1]) for i in range(0, len(secrets), 2)},
                         {"MAIN": "main pass", "PLUGINS": "plug|in", "OFFLINE": "off-line"},
                         "looked up by the archive's name, unscrambled by the engine's key")
        self.assertNotIn("main pass", "\n".join(secrets))

        # A folder of eight hexadecimal digits for each destination folder.
        self.assertEqual(sorted(triples(package)), sorted([
            ("MAIN", "00000001\\root.txt", ""),
            ("MAIN", "00000002\\app.exe", "Common\\"),
            ("MAIN", "00000003\\readme.txt", "Program Files\\"),
            ("MAIN", "00000004\\app.exe", "Program Files\\Product\\"),
            ("MAIN", "00000005\\app.chm", "Program Files\\Product\\help\\"),
        ]))

        lines = records(package)
        commands = package["commands"]
        self.assertEqual(package["media folders"], ["", "MAIN\\", "", "PLUGINS\\", "", "OFFLINE\\", ""])
        self.assertEqual(lines[0], ["MAIN", "http://downloads.test/demo/MAIN.7zip$NEWLINE$"
                                            "http://mirror.test/demo/MAIN.7zip"],
                         "a block line without locations gets the declared ones, one per line")
        self.assertEqual(lines[2], ["PLUGINS", "http://own.test/PLUGINS.7zip"], "a line's own locations stay")
        self.assertEqual(commands[4], "Web Media Block")

    def test_fetched_blocks_and_the_offline_medium_give_the_kind_1_data_folder(self) -> None:
        project = self.web_project()
        out, package = self.build_web(project)
        kind_1_data = without_empty_folders_and_case(tree(project / "data"))
        passwords = {"MAIN": "main pass", "PLUGINS": "plug|in", "OFFLINE": "off-line"}

        downloaded = self.root / "web data (downloads)"
        for name, password in passwords.items():
            fetch_block(out / "web" / f"{name}.7zip", password, triples(package), downloaded,
                        self.root / f"temporary {name}")
        self.assertEqual(without_empty_folders_and_case(tree(downloaded)), kind_1_data,
                         "every file where a kind-1 build's data folder has it")

        medium = out / "medium"
        self.assertEqual(sorted(p.name for p in medium.iterdir()),
                         ["MAIN.7zip", "PLUGINS.7zip", "mergemod", "offline", "setup.exe", "setup.msi", "setup.res"])
        self.assertEqual((medium / "setup.exe").read_bytes(), (out / "setup.exe").read_bytes())
        from_medium = self.root / "web data (medium)"
        copy_offline_medium(medium, from_medium)
        for name in ("MAIN", "PLUGINS"):  # archives beside the setup program
            fetch_block(medium / f"{name}.7zip", passwords[name], triples(package), from_medium,
                        self.root / f"medium temporary {name}")
        self.assertEqual(without_empty_folders_and_case(tree(from_medium)), kind_1_data)

    def test_the_offline_block_carries_the_installer_files_by_default(self) -> None:
        settings = WEB_PROJECT_INI.replace("data block = MAIN\\\n", "")
        project = self.web_project(settings)
        out, package = self.build_web(project)
        self.assertEqual({media for media, _, _ in triples(package)}, {"OFFLINE"})
        self.assertIn("OFFLINE/00000001/root.txt", archive_names(out / "web" / "OFFLINE.7zip", "off-line"))
        self.assertEqual(sorted(tree(out / "medium" / "mergemod")),
                         ["Common/app.exe", "Program Files/Product/app.exe", "Program Files/Product/help/app.chm",
                          "Program Files/readme.txt", "root.txt"])
        self.assertEqual(sorted(tree(out / "medium" / "offline")), ["tools/offline.dll"])

        from_medium = self.root / "web data"
        copy_offline_medium(out / "medium", from_medium)
        fetch_block(out / "medium" / "PLUGINS.7zip", "plug|in", triples(package), from_medium, self.root / "t")
        self.assertEqual(without_empty_folders_and_case(tree(from_medium)),
                         without_empty_folders_and_case(tree(project / "data")))

    def test_builds_of_other_kinds_leave_no_web_media_behind(self) -> None:
        self.build_web(self.web_project())
        ordinary = self.web_project(settings=PROJECT_INI, script="Set Variable | $A$ | 1\n")
        run = build(ordinary, self.root / "out")
        self.assertEqual(run.code, 0, run.stderr)
        self.assertEqual(sorted(p.name for p in run.out.iterdir()), ["data", "setup.exe", "setup.msi", "setup.res"])
        # And back: the data folder of the ordinary build goes.
        out, _ = self.build_web(self.web_project())
        self.assertFalse((out / "data").exists())

    def test_project_errors_name_their_place_and_write_nothing(self) -> None:
        blocks_at = WEB_PROJECT_INI.splitlines().index("[web media blocks]") + 1
        cases = [
            ("a block without a download location", WEB_PROJECT_INI.replace(
                "PLUGINS\\ = plug`|in | http://downloads.test/demo/PLUGINS.7zip", "PLUGINS\\ = plug`|in"),
             WEB_SCRIPT, {}, f"project.ini:{blocks_at + 3}: the web media block PLUGINS\\ has no download location"),
            ("a block name of two folders", WEB_PROJECT_INI + "A\\B\\ = pw | http://x.test/B.7zip\n", WEB_SCRIPT, {},
             "the web media block 'A\\B\\' must be one folder name ending in '\\'"),
            ("a block name that is no file name", WEB_PROJECT_INI + "A*B\\ = pw | http://x.test/B.7zip\n",
             WEB_SCRIPT, {}, "the web media block 'A*B\\' must be one folder name"),
            ("a block without a password", WEB_PROJECT_INI + "MORE\\ = | http://x.test/MORE.7zip\n",
             WEB_SCRIPT, {}, "the web media block MORE\\ needs a password"),
            ("a location that is no URL", WEB_PROJECT_INI + "MORE\\ = pw | downloads/MORE.7zip\n",
             WEB_SCRIPT, {}, "'downloads/MORE.7zip' of the web media block MORE\\ is not a URL"),
            ("a password the setup's code page could change", WEB_PROJECT_INI + "MORE\\ = pässword | http://x.test/M\n",
             WEB_SCRIPT, {}, "the password of the web media block MORE\\ must be printable ASCII"),
            ("a block declared twice", WEB_PROJECT_INI + "main\\ = pw | http://x.test/main.7zip\n", WEB_SCRIPT, {},
             "the web media block main\\ is declared twice"),
            ("a block's password also among the secrets",
             WEB_PROJECT_INI + "\n[web media secrets]\nMain = other\n", WEB_SCRIPT, {},
             "the password of Main is given in [web media blocks] already"),
            ("blocks in an ordinary build", WEB_PROJECT_INI.replace("build kind = 2\ndata block = MAIN\\\n", ""),
             WEB_SCRIPT, {}, "[web media blocks] are for a web media build"),
            ("an undeclared data block", WEB_PROJECT_INI.replace("data block = MAIN\\", "data block = DATA\\"),
             WEB_SCRIPT, {}, "the data block DATA\\ is not a block of [web media blocks]"),
            ("a line whose media folder is no block", WEB_PROJECT_INI,
             WEB_SCRIPT + "[media=EXTRA\\] Dump Vars | extra.dll\n", {},
             "script.txt:8: the media folder EXTRA\\ of this line is no web media block"),
            ("a block line naming no block", WEB_PROJECT_INI, WEB_SCRIPT + "Web Media Block | EXTRA\n", {},
             "script.txt:8: 'EXTRA' is no block of [web media blocks]"),
            ("two data files that are one on Windows", WEB_PROJECT_INI, WEB_SCRIPT,
             {"data/Common/APP.EXE": "upper case"}, "Common/APP.EXE"),
        ]
        for what, settings, script, extra, message in cases:
            with self.subTest(what):
                project = self.web_project(settings, script, {**DATA, **extra})
                out = self.root / "failed"
                run = build(project, out)
                self.assertEqual(run.code, 1, run.stderr)
                self.assertIn(message, run.stderr)
                self.assertFalse(out.exists() and any(out.iterdir()), "nothing is written")
                shutil.rmtree(project)
