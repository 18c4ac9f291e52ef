"""The programs the setup folder carries: the engine and the archive library
are copied as bare build outputs, and data is appended after their images
(the package after the engine, the message catalogue after the library)."""

from __future__ import annotations

import struct
from pathlib import Path

from .errors import BuildError, Where, warn
from .text import CODE_PAGE, read_lines


def pe_image_end(data: bytes) -> int | None:
    """Where the sections of a PE image end in its file; None when data is not a PE image."""
    try:
        if data[:2] != b"MZ":
            return None
        signature = struct.unpack_from("<I", data, 0x3C)[0]
        if data[signature:signature + 4] != b"PE\0\0":
            return None
        file_header = signature + 4
        sections, = struct.unpack_from("<H", data, file_header + 2)
        optional_size, = struct.unpack_from("<H", data, file_header + 16)
        table = file_header + 20 + optional_size
        end = 0
        for n in range(sections):
            raw_size, raw_pointer = struct.unpack_from("<II", data, table + 40 * n + 16)
            end = max(end, raw_pointer + raw_size)
        return end
    except struct.error:
        return None


def read_program(path: Path, what: str) -> bytes:
    """A program's bytes; refused when something is already appended to it,
    since the engine reads what follows its image as the package."""
    try:
        data = path.read_bytes()
    except OSError as error:
        raise BuildError(f"cannot read the {what}: {error.strerror}", Where(str(path))) from None
    end = pe_image_end(data)
    if end is None:
        warn(f"the {what} is not a Windows program image", Where(str(path)))
    elif len(data) > end:
        raise BuildError(f"the {what} already carries {len(data) - end} bytes of appended data "
                         "(give the bare file, not a copy from a setup folder)", Where(str(path)))
    return data


def catalogue_bytes(path: Path) -> bytes:
    """The engine's message catalogue as the library carries it: 8-bit text, CR LF line ends."""
    out = []
    for number, line in read_lines(path):
        try:
            out.append(line.encode(CODE_PAGE) + b"\r\n")
        except UnicodeEncodeError as error:
            bad = line[error.start]
            raise BuildError(f"the character '{bad}' (U+{ord(bad):04X}) cannot be written in the "
                             "8-bit code page (Windows-1252)", Where(str(path), number)) from None
    return b"".join(out)
