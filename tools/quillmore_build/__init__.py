"""quillmore_build: turns a readable project folder into a runnable Quillmore
setup folder. See tools/README.md for the project folder, the setup folder
and where each part of the tool lives; command_line.py is the entry point.
Python 3 standard library only; runs on the build machine."""
