"""The built-in script commands as the tool needs them: how many fields the
engine reads for each, and which ones change the machine through Windows
Installer."""

from __future__ import annotations

# The commands that change the machine through Windows Installer. Each of
# their lines needs a command header; the rows of the installer database are
# conditioned on the property "A" + header and read "P" + header + "_" + n.
# Value: how many value properties ("P" + header + "_1" ...) the line records.
DEFERRED_COMMANDS = {
    "Write Registry": 3,
    "Create File Type": 5,
    "Advertised File Type": 0,
    "Create Folder": 1,
    "Create Shortcut": 4,
    "Advertised Shortcut": 4,
    "Copy/Move Local Files": 2,
    "Delete Files": 1,
    "Edit INI File": 4,
    "Set Environment": 1,
    "Install Files": 1,
    "Install Assembly": 1,
    "Control Service": 2,
    "Create ODBC DSN": 0,
    "Install ODBC Driver": 1,
    "Install Service": 9,
}

# The highest field number the engine reads for each built-in command (at run
# time, in the validator or at start-up). The field accessor does not check a
# record's length: a record shorter than this would hand the command the next
# record's entries, so every record is padded with empty fields to this count.
FIELDS_READ = {
    # control flow
    "If": 4, "Else If": 4, "Else": 0, "End": 0, "Wizard Loop": 0,
    "GoTo Label": 1, "Label": 1, "Terminate Install": 0,
    "Terminate with Exit Code": 1, "Reboot Computer": 0, "Reboot and Resume": 0,
    # variables and expressions
    "Set Variable": 2, "Evaluate Expression": 2, "Localization Variable": 2,
    # registry
    "Read Registry": 4, "Check Registry": 4, "Write Registry": 5, "Delete Registry": 4,
    "Set 64 Bit Mode": 3,
    # files, folders, INI files, environment
    "Create Folder": 1, "Delete Files": 4, "Delete Files Recursive": 1,
    "Copy/Move Local Files": 3, "Edit INI File": 6, "Install Files": 3, "Set Environment": 2,
    # shortcuts and file types
    "Create Shortcut": 6, "Advertised Shortcut": 6, "Create File Type": 5,
    "Advertised File Type": 3,
    # services, processes, programs
    "Check Process": 2, "Terminate Program": 2, "Check Service": 3, "Control Service": 2,
    "Install Service": 15, "Run Program": 5, "Run Program As": 10, "Register Library": 3,
    # IIS
    "Create IIS Site": 15, "Delete IIS Site": 1, "Control IIS Site": 2,
    "Create Virtual Folder": 18, "Delete Virtual Folder": 2, "Get IIS Site List": 1,
    "Get IIS Site Index": 2, "Get IIS Property": 6, "Set IIS Property": 6,
    "IIS Anonymous User": 1,
    # .NET and ODBC
    "Install Assembly": 3, "Register Assembly": 1, "Remove Assemblies": 0,
    "Generate Native Images": 1, "Run .NET Installer Class": 2, "Create ODBC DSN": 0,
    "Install ODBC Driver": 4,
    # shares, access control, scheduled tasks
    "Create Share": 3, "Delete Share": 1, "Set Access Control": 16, "Schedule Task": 14,
    "Delete Scheduled Task": 2,
    # strings, paths, arithmetic
    "Convert Path": 2, "Convert Case": 2, "Replace String": 5, "Parse String": 7,
    "Extract Path": 2, "Mathematics": 4, "Get Temporary File": 1, "Get Environment": 2,
    # system queries
    "Get System Settings": 2, "Get OS or SP Level": 2, "Get Folder Location": 3,
    "Check Disk Space": 3, "Is MSI Setup Installed": 2,
    # file queries and text files
    "Does File/Folder Exist": 3, "Find All Files": 4, "Get File Version": 2,
    "Check File Version": 5, "Read from Text File": 3, "Write to Text File": 3,
    "Get INI File Settings": 4,
    # components and feature selections
    "Define Component": 3, "Delete Component": 1, "Get Component State": 2,
    "Set Component State": 2, "Get Component Space": 2, "Set Component Space": 2,
    "Set Component Choice": 2, "Set Component Visibility": 2,
    "Save Feature Selections": 1, "Load Feature Selections": 1, "Transform Instance": 0,
    # messages
    "MessageBox": 5, "MessageBalloon": 4, "System Tray": 4,
    # wizard
    "Display Dialog": 6, "Hide Dialog": 0,
    # Windows Installer
    "Apply Changes": 4, "Apply Patch": 3,
    # media
    "Web Media Block": 2, "Extract 7Zip Archive": 6, "Run Light Mode Setup": 4,
}

# A plug-in command's line hands field 1 to the library and names the
# library's file in field 2.
PLUGIN_FIELDS_READ = 2


class BuiltinCommands:
    """The built-in commands by name, compared exactly as the engine does."""

    def names(self) -> list[str]:
        return list(FIELDS_READ)

    def is_builtin(self, name: str) -> bool:
        return name in FIELDS_READ

    def fields_read(self, name: str) -> int | None:
        """The highest field number the engine reads for the command; None
        when the command is not built in."""
        return FIELDS_READ.get(name)

    def is_deferred(self, name: str) -> bool:
        """Whether the command changes the machine through Windows Installer:
        its lines need a command header, and the installer database's rows
        are conditioned on the property "A" + header."""
        return name in DEFERRED_COMMANDS

    def value_count(self, name: str) -> int:
        """How many value properties ("P" + header + "_1" ...) a line of the command records."""
        return DEFERRED_COMMANDS.get(name, 0)


def read_builtin_commands() -> BuiltinCommands:
    return BuiltinCommands()
