"""The command line: python3 tools/quillmore_build PROJECT_DIR OUT_DIR --engine ...

Exit code 0 on success, 1 when the project (or a program it runs) fails, 2
for a wrong command line (argparse's own exit code)."""

from __future__ import annotations

import argparse
import os
import sys
from pathlib import Path

from .errors import PROGRAM, BuildError
from .external_programs import Tools
from .setup_folder import build_setup


def argument_parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog=PROGRAM, description="Builds a setup folder from a project folder (see tools/README.md).")
    parser.add_argument("project_dir", type=Path, help="the project folder (project.ini, script.txt, ...)")
    parser.add_argument("out_dir", type=Path, help="the setup folder to write")
    parser.add_argument("--engine", type=Path, required=True, help="the built engine, quillmore.exe")
    parser.add_argument("--qvx", type=Path, help="the built archive library, qvx.lib")
    parser.add_argument("--actions", type=Path,
                        help="the built custom action library, quillmore_actions.dll, for the installer database")
    parser.add_argument("--catalogue", type=Path,
                        help="engine message catalogue (UTF-8 text) to append to qvx.lib")
    parser.add_argument("--map", type=Path, dest="map_file",
                        help="also write a table of script lines, identifiers and headers here")
    parser.add_argument("--wixl", default=os.environ.get("QM_WIXL", "wixl"), help="the wixl program")
    parser.add_argument("--7zz", dest="sevenzip", default=os.environ.get("QM_7ZZ", "7zz"),
                        help="the 7-Zip program")
    return parser


def main(argv: list[str] | None = None) -> int:
    arguments = argument_parser().parse_args(argv)
    try:
        build_setup(arguments.project_dir, arguments.out_dir, arguments.engine, arguments.qvx,
                    arguments.catalogue, Tools(arguments.wixl, arguments.sevenzip), arguments.map_file,
                    arguments.actions)
    except (BuildError, OSError) as error:
        print(f"{PROGRAM}: error: {error}", file=sys.stderr)
        return 1
    return 0
