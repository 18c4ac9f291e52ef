"""Runs the tool: python3 tools/quillmore_build PROJECT_DIR OUT_DIR --engine ...
(or python3 -m quillmore_build with tools/ on the import path)."""

import sys
from pathlib import Path

# A build runs the tool from the source tree: the modules imported below
# leave no byte code there. (Python may already have cached this file.)
sys.dont_write_bytecode = True

package_folder = Path(__file__).resolve().parent
tools_folder = str(package_folder.parent)
# Run as a folder, Python puts the package folder itself first on the import
# path, where its modules could be imported a second time outside the
# package. The tools folder takes its place: the package and its neighbour
# command_catalogue.py are imported from there.
if sys.path and sys.path[0] and Path(sys.path[0]).resolve() == package_folder:
    sys.path[0] = tools_folder
elif tools_folder not in sys.path:
    sys.path.insert(0, tools_folder)

from quillmore_build.command_line import main  # noqa: E402  (needs the path above)

sys.exit(main())
