"""quillmore_build: turns a readable project folder into a runnable Quillmore
setup folder. See tools/README.md for the project folder, the setup folder
and which module holds which concern; command_line.py is the entry point.
Python 3 standard library only; runs on the build machine."""
