"""Reading and checking product.wxs, the installer database source: its
Product Id and Package Id, the command-header properties it names, and the
conditions of its Components (which wixl cannot build; see
installer_database.py)."""

from __future__ import annotations

import re
import xml.parsers.expat
from dataclasses import dataclass, field
from pathlib import Path
from typing import TYPE_CHECKING

from .errors import BuildError, Where, warn
from .project import Project
from .text import GUID_PATTERN

if TYPE_CHECKING:
    from .installer_tables import InstallerTable

# Installer properties named after command headers, as the product's
# installer database uses them: formatted references "[A3F2A]", "[P3F2A_1]"
# anywhere, and bare names in conditions.
FORMATTED_REFERENCE = re.compile(r"\[(A[0-9A-Fa-f]{1,8}|P[0-9A-Fa-f]{1,8}_[0-9])\]")
CONDITION_REFERENCE = re.compile(r"(?<![\w.\[])(A[0-9A-Fa-f]{1,8}|P[0-9A-Fa-f]{1,8}_[0-9])(?![\w.])")
# Windows Installer's limit for the Condition column of the Component table.
CONDITION_LIMIT = 255


@dataclass
class ComponentCondition:
    """A <Condition> inside a <Component>, which wixl cannot build: the tool
    builds the database without it and writes it into the Component table."""
    component: str
    condition: str
    start: int  # the element's bytes in product.wxs
    end: int
    where: Where


@dataclass
class InstallerSource:
    data: bytes
    product_id: tuple[str, Where] | None = None
    package_id: tuple[str, Where] | None = None
    # Where the </Product> end tag begins: rows the tool adds go before it.
    product_end: int | None = None
    references: list[tuple[str, Where]] = field(default_factory=list)
    component_conditions: list[ComponentCondition] = field(default_factory=list)
    # The project's tables/*.idt, which msibuild adds after wixl.
    tables: list[InstallerTable] = field(default_factory=list)

    def for_wixl(self, product_rows: bytes) -> bytes:
        """The source wixl builds: without the Component conditions, which it
        cannot build, and with product_rows added at the end of <Product>."""
        cuts = [(c.start, c.end, b"") for c in self.component_conditions]
        if product_rows:
            if self.product_end is None:
                raise BuildError("product.wxs has no <Product> element with an end tag, to which the "
                                 "custom actions go")
            cuts.append((self.product_end, self.product_end, product_rows))
        out, at = [], 0
        for start, end, insert in sorted(cuts, key=lambda cut: cut[0]):
            out += [self.data[at:start], insert]
            at = end
        return b"".join(out + [self.data[at:]])


def local(name: str) -> str:
    """An element or attribute name without its namespace prefix."""
    return name.rsplit(":", 1)[-1]


class SourceReader:
    """Collects an InstallerSource while expat walks product.wxs."""

    def __init__(self, path: Path, source: InstallerSource):
        self.path = path
        self.source = source
        self.parser = xml.parsers.expat.ParserCreate()
        self.parser.StartElementHandler = self.start
        self.parser.EndElementHandler = self.end
        self.parser.CharacterDataHandler = self.text
        # Open elements: local name, attributes, where the start tag begins.
        self.elements: list[tuple[str, dict[str, str], int]] = []
        # The text of each open <Condition>.
        self.condition_parts: list[list[str]] = []

    def read(self) -> None:
        try:
            self.parser.Parse(self.source.data, True)
        except xml.parsers.expat.ExpatError as error:
            raise BuildError(f"not well-formed XML: {xml.parsers.expat.errors.messages[error.code]}",
                             Where(str(self.path), error.lineno)) from None

    def here(self) -> Where:
        return Where(str(self.path), self.parser.CurrentLineNumber)

    def scan(self, text: str, pattern: re.Pattern[str], where: Where) -> None:
        self.source.references.extend((m.group(1), where) for m in pattern.finditer(text))

    def start(self, name: str, attributes: dict[str, str]) -> None:
        element = local(name)
        self.elements.append((element, attributes, self.parser.CurrentByteIndex))
        if element == "Product" and "Id" in attributes:
            self.source.product_id = (attributes["Id"], self.here())
        if element == "Package" and "Id" in attributes:
            self.source.package_id = (attributes["Id"], self.here())
        for key, value in attributes.items():
            self.scan(value, FORMATTED_REFERENCE, self.here())
            if local(key) == "Condition":
                self.scan(value, CONDITION_REFERENCE, self.here())
        if element == "Condition":
            self.condition_parts.append([])

    def end(self, name: str) -> None:
        element, attributes, begin = self.elements.pop()
        if element == "Product" and self.parser.CurrentByteIndex > begin:
            self.source.product_end = self.parser.CurrentByteIndex
        if element != "Condition":
            return
        condition = "".join(self.condition_parts.pop()).strip()
        where = self.here()
        self.scan(condition, CONDITION_REFERENCE, where)
        if self.elements and self.elements[-1][0] == "Component":
            self.add_component_condition(condition, begin, where)

    def add_component_condition(self, condition: str, begin: int, where: Where) -> None:
        component = self.elements[-1][1].get("Id")
        if not component:
            raise BuildError("a Component with a Condition needs an Id", where)
        if any(c.component == component for c in self.source.component_conditions):
            raise BuildError(f"the Component {component} has two Conditions", where)
        # The end tag's bytes go too: up to its ">".
        finish = self.source.data.index(b">", self.parser.CurrentByteIndex) + 1
        self.source.component_conditions.append(ComponentCondition(component, condition, begin, finish, where))

    def text(self, data: str) -> None:
        if self.condition_parts:
            self.condition_parts[-1].append(data)
        else:
            self.scan(data, FORMATTED_REFERENCE, self.here())


def read_installer_source(path: Path) -> InstallerSource:
    """The product code, the header properties and the component conditions of product.wxs."""
    try:
        source = InstallerSource(path.read_bytes())
    except OSError as error:
        raise BuildError(f"cannot read the file: {error.strerror}", Where(str(path))) from None
    SourceReader(path, source).read()
    for condition in source.component_conditions:
        # The condition goes into an SQL string in single quotes (msibuild).
        if "'" in condition.condition:
            raise BuildError("a component condition cannot hold a single quote ('); write "
                             "texts in double quotes", condition.where)
        if len(condition.condition) > CONDITION_LIMIT:
            raise BuildError("a component condition is limited to 255 characters", condition.where)
    return source


def check_installer_source(project: Project, path: Path, tables: list[InstallerTable] | None = None) -> InstallerSource:
    """product.wxs and the table files (whose header properties count as its own)."""
    source = read_installer_source(path)
    source.tables = list(tables or [])
    for table in source.tables:
        source.references += table.references
    check_product_id(project, source)
    check_package_id(project, source)
    if not project.check_headers:
        return source
    used = check_header_references(project, source)
    for line in project.lines:
        if project.commands.is_deferred(line.command) and not line.commented and line.header not in used:
            warn(f"'{line.command}' (header {line.header}) is not used by {path.name} nor a table file: "
                 "the line changes nothing", line.where)
    return source


def check_product_id(project: Project, source: InstallerSource) -> None:
    """The engine finds the installed product by the product code of project.ini."""
    if not source.product_id:
        return
    product_id, where = source.product_id
    if product_id == "*":
        raise BuildError(f"the Product Id must be the product code {project.product_code[1:-1]}, "
                         "not '*' (the setup finds the product by its code)", where)
    match = GUID_PATTERN.match(product_id)
    if match and "{" + match.group(2).upper() + "}" != project.product_code:
        raise BuildError(f"the Product Id {product_id} differs from the product code "
                         f"{project.product_code} in project.ini", where)


def check_package_id(project: Project, source: InstallerSource) -> None:
    """The database's package code is the revision code (the tool writes it):
    the engine tells an installed older build by a package code that differs
    from its own revision code, and upgrades it."""
    if not source.package_id:
        return
    package_id, where = source.package_id
    match = GUID_PATTERN.match(package_id)
    if package_id != "*" and (not match or "{" + match.group(2).upper() + "}" != project.revision_code):
        raise BuildError(f"the Package Id {package_id} differs from the revision code {project.revision_code} "
                         "in project.ini, which the tool makes the package code (leave the Id out)", where)


def check_header_references(project: Project, source: InstallerSource) -> set[str]:
    """Every "A<header>" and "P<header>_<n>" that product.wxs names belongs to
    a script line that sets it; returns the headers named."""
    lines_by_header = {line.header: line for line in project.lines if line.header is not None}
    used: set[str] = set()
    for name, where in source.references:
        header, _, number = name[1:].partition("_")
        line = lines_by_header.get(header)
        if line is None:
            raise BuildError(f"{name} names the command header {header}, which no script line has "
                             "(headers are compared with their case; 'check headers = no' in "
                             "[product] turns this check off)", where)
        used.add(header)
        if number:
            recorded = project.commands.value_count(line.command)
            if not 1 <= int(number) <= recorded:
                what = f"P{header}_1 to P{header}_{recorded}" if recorded else "no value properties"
                raise BuildError(f"{name}: the '{line.command}' line {line.where} records {what}", where)
    return used
