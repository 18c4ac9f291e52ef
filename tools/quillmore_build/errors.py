"""Errors and warnings, each with the place in the project it is about."""

from __future__ import annotations

import sys
from dataclasses import dataclass

# The name in every message, the usage line included.
PROGRAM = "quillmore_build"


@dataclass(frozen=True)
class Where:
    """A place in the project: a file and, when known, a line of it."""
    path: str
    line: int | None = None

    def __str__(self) -> str:
        return f"{self.path}:{self.line}" if self.line else self.path


class BuildError(Exception):
    """A reason the setup folder cannot be built; the command line ends with exit code 1."""

    def __init__(self, message: str, where: Where | None = None):
        super().__init__(message)
        self.message = message
        self.where = where

    def __str__(self) -> str:
        return f"{self.where}: {self.message}" if self.where else self.message


def warn(message: str, where: Where | None = None) -> None:
    prefix = f"{where}: " if where else ""
    print(f"{PROGRAM}: warning: {prefix}{message}", file=sys.stderr)
