#!/usr/bin/env python3
"""Checks the default data files below data/Data against what the program reads.

Usage: check_data.py [DATA_DIR]   (default: data/Data beside this script's parent)
Prints every problem found and exits with 1 when there is one, else 0.
"""

import sys
from pathlib import Path

# Command identifiers in the order the command registry lists them, then the
# two identifiers the control manager turns into edit fields.
COMMANDS = [
    "Places.Computer", "Places.MyDocuments", "Places.RecycleBin", "RecycleBin.Empty",
    "RecycleBin.Restore", "RecycleBin.Delete", "Item.Properties", "Item.Copy", "Item.Cut", "Item.Delete", "Item.Paste",
    "Item.Rename", "Item.SysMenu", "Item.Group", "Item.Group.Name", "Item.Group.Ext",
    "Item.Group.Path", "Item.SelectAll", "Item.InTab", "Item.InExplorer",
    "Navigate.Back", "Navigate.Forward", "Navigate.Up", "Tabs.AddSearch",
    "Tabs.AddFile", "Tabs.Close", "Tabs.CloseAll", "Tabs.Clone", "Create.Folder",
    "Show.Menu", "SmartMenu.Back", "Search.Toggle", "Dialog.SearchBrowse",
    "Dialog.OpenWith", "Control.Settings", "Qorvel.Menu", "Qorvel.Settings",
    "Qorvel.About", "Text.Copy", "Text.Cut", "Text.Paste", "Text.Delete",
    "Customize.Folder", "Recent.Tabs.Item", "Recent.Tabs", "Recent.Tabs.Clear",
]
EDIT_COMMANDS = ["QuickFilter", "PathEdit"]

TOP_LEVEL_CONTROLS = [
    "SmartTab", "QuickBar", "PathBar", "ActionBar", "SmartScroll", "SearchBarTop",
    "SearchBarBottom", "RenameEdit", "SelectTip", "SmartMenu", "SmartTip",
]
# Controls whose items the control items editor edits ("<name>.Items").
EDITABLE_CONTROLS = ["QuickBar", "ActionBar", "PathBar", "SmartTabs"]

# Menus the program asks for by name.
PROGRAM_MENUS = [
    "MainMenu", "RecycleBin", "Recent.Tabs.Menu", "ItemGroup", "FileHolderMenu",
    "SearchHolderMenu", "TabMenu", "FileTab", "SearchTab", "NewTabMenu", "QuickBar",
    "ActionBar", "PathBar", "SmartTabs", "EditMenu", "QFilterMenu", "ItemRenameMenu",
    "PathEditMenu",
]

# Types the holders ask for besides file extensions.
PROGRAM_TYPES = [
    "FILE", "FOLDER", "DRIVE_FIXED", "DRIVE_REMOVABLE", "DRIVE_CDROM",
    "DRIVE_RAMDISK", "DRIVE_REMOTE",
]

# Language sections and keys, spelled exactly as the program looks them up.
LANGUAGE_KEYS = {
    "Settings": [
        "Customize", "Language", "General", "StartUp", "Mouse", "Browsing", "Others",
        "ItemWidth", "ItemHeight", "HideFloppy", "RestoreLastSession",
        "RestoreWindowPosition", "RestoreWindowParams", "HideHiddenFiles",
        "HideSystemFiles", "ShowFoldersFirst", "HideFileExtension",
        "PlayNavigationSound", "StickyScrolling", "MouseClickDelay", "ClickScroll",
        "WheelScroll", "SaveRecentTabs", "TipPopUpOffSet", "SmartFileGrouping",
        "SmartFileGroupingTip", "SmartTabs", "Show+Tab", "TabPreview",
        "StickyTabPreview", "SmallTabsLeft", "SmallTabsRight", "SmallBtnLeft",
        "SmallBtnRight", "TabHeight", "TabWidthMin", "TabWidthMax", "BtnWidthMax",
        "BtnSpacing", "BtnToTabSpacing", "TabSpacing", "QuickBar", "ItemSize",
        "ItemSpacing", "ShowHint", "PathBar", "ActionBar", "SmartEdit",
        "PreviewSelected", "MenuAutoPopUp", "SmartMenu", "PopUpOffset", "MenuWidth",
        "Themes", "ControlThemes", "ButtonThemes", "FileIconThemes", "Apply",
        "Controls", "FileTypes", "Remove", "AddChange", "Up", "Down", "Extension",
        "Description", "Items", "ItemProp", "ID", "Caption", "CMD", "Param1",
        "Param2", "Image", "Type", "Name:", "Author:", "Version:", "Date:",
        "Description:", "Current",
    ],
    "General": [
        "Open", "Clear", "Apply", "Ok", "NewItem", "Down", "Up", "New", "Save",
        "Remove", "Add", "RemoveAll", "GroupName", "FolderName", "Done", "AddChange",
    ],
    "ControlProperties": [
        "Left", "Right", "Top", "Bottom", "ItemID", "ItemProp", "Image", "ID", "CMD",
        "Param1", "Param2", "Caption", "Align",
    ],
    "Controls": TOP_LEVEL_CONTROLS + ["SmartTabs"],
    "FolderCustomize": [
        "SelectColor", "Caption", "Normal", "Hot", "Selected", "HotSelected",
        "ImagePos", "Font", "Bold", "Italic", "Name", "Size", "TopLeft", "TopRight",
        "BottomLeft", "BottomRight", "Stretch",
    ],
    "SearchDialog": ["SearchIn", "SearchPath", "FileName", "Found:"],
    "Buttons": COMMANDS,
    "Menus": ["FileMenu", "RecentTabs"] + PROGRAM_MENUS,
    "Devices": ["DriveCdRom", "DriveFixed", "DriveRemovable", "DriveRamDisk", "DriveRemote"],
    "Messages": [
        "CannotRename", "CannotOpen", "PleaseRestart", "FolderEmpty", "FolderGone",
        "FolderUnreadable", "CannotCustomize", "CannotSaveSettings", "CannotSaveTypes", "NotASound",
    ],
    "About": ["IconLicence"],
    "RunQuestion": ["Text", "Run", "Open", "Cancel", "Remember"],
    "Groups": [".FOLDER", ".HARDDRIVE", ".REMOVABLE", ".CDROM", ".RAMDISK", ".REMOTE"],
    "SelectTip": ["Files.Count", "Files.Size"],
    "QuickFilter": ["UnfocusedCaption"],
    "SmartScroll": ["Scroll.Percent"],
}

# Texts that are followed directly by another text and need their trailing blank.
LANGUAGE_TRAILING_BLANK = {
    ("Messages", "CannotRename"), ("Messages", "CannotOpen"), ("Messages", "CannotCustomize"), ("SearchDialog", "Found:"), ("Settings", "Name:"),
    ("Settings", "Author:"), ("Settings", "Version:"), ("Settings", "Date:"),
}

# Groups of [Qorvel] in load order, each key with its default; None means the
# value is the installation's choice and only has to be present.
SETTINGS_GROUPS = {
    "Theming": {"ControlTheme": "Default", "FilesTheme": "Default", "ButtonTheme": "Default"},
    "StartUp": {"RestoreLastSession": "1", "RestorePosition": "0", "RestoreWH": "0"},
    "Media": {"NavSound": None, "PlayNavSound": "1"},
    "Window": {"PosX": "10", "PosY": "10", "Width": "900", "Height": "600", "Maximized": "0"},
    "Mouse": {"ClickDelay": "250", "ClickScroll": "10", "StickyScroll": "1", "WheelScroll": "5"},
    "Browsing": {
        "HideHidden": "1", "HideSystem": "1", "HideFileExtension": "0",
        "ShowFoldersFirst": "1", "ItemWidth": "150", "ItemHeight": "40",
        "HideFloppy": "1", "HideFloppyA": "1", "HideFloppyB": "1", "StrictClicks": "0",
        "Executables": "Ask",
    },
    "General": {"Lang": "English", "TipDistance": "10", "FolderGroup": "1"},
    "QuickBar": {"ShowHint": "1", "ItemSize": "48", "ItemSpacing": "10"},
    "ActionBar": {"ShowHint": "1", "ItemSize": "24", "ItemSpacing": "10"},
    "PathBar": {"ShowHint": "1", "ItemSize": "24", "ItemSpacing": "10"},
    "SmartEdit": {"PreviewSelected": "1", "MenuAutoShow": "1"},
    "SmartTabs": {
        "Height": "28", "TabPreview": "1", "StickTabPreview": "0", "SmallTabsLeft": "0",
        "SmallTabsRight": "0", "SmallButtonsLeft": "0", "SmallButtonsRight": "1",
        "ShowAddTab": "1", "TabSpacing": "2", "ButtonSpacing": "2",
        "ButtonToTabSpacing": "2", "ButtonWidthMax": "115", "TabWidthMin": "26",
        "TabWidthMax": "150", "SaveRecent": "1", "MaxRecent": "8",
    },
    "SmartMenu": {"PopUpOffset": "0", "ItemSize": "23", "ItemSpacing": "5", "MenuWidth": "250"},
}

ALIGN_WORDS = {"Left", "Right", "Top", "Bot", "None"}
FIT_WORDS = {"Both", "Width", "Height", "None"}
STYLE_WORDS = {"None", "Icon", "Tile"}


class Problems:
    def __init__(self):
        self.items = []

    def add(self, where, text):
        self.items.append(f"{where}: {text}")


class IniFile:
    """Sections in file order, each a list of (key, value, line number)."""

    def __init__(self, path, problems):
        self.path = path
        self.sections = {}  # name as written -> entries
        raw = path.read_bytes()
        if raw.startswith(b"\xef\xbb\xbf"):
            problems.add(path.name, "starts with a byte-order mark")
        if b"\r" in raw:
            problems.add(path.name, "has CR line ends")
        try:
            text = raw.decode("utf-8")
        except UnicodeDecodeError as error:
            problems.add(path.name, f"is not UTF-8 ({error})")
            text = raw.decode("utf-8", "replace")
        current = None
        for number, line in enumerate(text.split("\n"), 1):
            stripped = line.strip()
            if not stripped or stripped.startswith(";"):
                continue
            where = f"{path.name}:{number}"
            if stripped.startswith("[") and stripped.endswith("]"):
                name = stripped[1:-1].strip()
                if self.find_section(name) is not None:
                    problems.add(where, f"section [{name}] appears twice")
                current = self.sections.setdefault(name, [])
                continue
            if current is None or "=" not in stripped:
                problems.add(where, f"line is neither a section nor key=value: {stripped!r}")
                continue
            key, value = stripped.split("=", 1)
            key, value = key.strip(), unquote(value.strip())
            if any(key.lower() == k.lower() for k, _, _ in current):
                problems.add(where, f"key {key!r} appears twice in its section")
            current.append((key, value, number))

    def find_section(self, name):
        """Section names match without regard to case, as the INI reader does."""
        for written, entries in self.sections.items():
            if written.lower() == name.lower():
                return entries
        return None

    def value(self, section, key):
        for k, v, _ in self.find_section(section) or []:
            if k.lower() == key.lower():
                return v
        return None


def unquote(value):
    """The INI reader drops one pair of double quotes around a value."""
    if len(value) >= 2 and value[0] == value[-1] == '"':
        return value[1:-1]
    return value


def fold(text):
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in text)


def extract_value(source, name, default):
    """The program's reading rule: first occurrence of Name( , letters A-Z folded."""
    start = fold(source).find(fold(name + "("))
    if start < 0:
        return default
    start += len(name) + 1
    depth, end = 0, None
    for index in range(start, len(source)):
        c = source[index]
        if c == "(":
            depth += 1
        elif c == ")":
            if depth == 0:
                end = index
                break
            depth -= 1
    if end is None:
        end = max(start, len(source) - 1)
    value = source[start:end]
    return default if value in ("", " ") else value


def written_entries(text):
    """The Name(Value) entries as written, in order; None when malformed."""
    entries, index = [], 0
    while index < len(text):
        if text[index] in ", ":
            index += 1
            continue
        open_at = text.find("(", index)
        if open_at < 0:
            return None
        name, depth, index = text[index:open_at].strip(), 0, open_at + 1
        while index < len(text) and not (text[index] == ")" and depth == 0):
            depth += {"(": 1, ")": -1}.get(text[index], 0)
            index += 1
        if index >= len(text) or not name:
            return None
        entries.append((name, text[open_at + 1:index]))
        index += 1
    return entries


def check_language(lang, menu_names, problems):
    name = lang.path.name
    for section, keys in LANGUAGE_KEYS.items():
        exact = lang.sections.get(section)
        if exact is None:
            near = [s for s in lang.sections if s.lower() == section.lower()]
            hint = f" (written [{near[0]}])" if near else ""
            problems.add(name, f"section [{section}] missing{hint}; lookups match letter case")
            continue
        written = {k: v for k, v, _ in exact}
        for key in keys + (menu_names if section == "Menus" else []):
            if key not in written:
                near = [k for k in written if k.lower() == key.lower()]
                hint = f" (written {near[0]!r})" if near else ""
                problems.add(name, f"[{section}] {key} missing{hint}")
            elif (section, key) in LANGUAGE_TRAILING_BLANK and not written[key].endswith(" "):
                problems.add(name, f"[{section}] {key} lost its trailing blank")


def check_settings(settings, problems):
    name = settings.path.name
    for group, defaults in SETTINGS_GROUPS.items():
        raw = settings.value("Qorvel", group)
        if raw is None:
            problems.add(name, f"[Qorvel] group {group} missing")
            continue
        entries = written_entries(raw)
        if entries is None:
            problems.add(name, f"[Qorvel] {group} is not a list of Name(Value) entries")
            continue
        written = {}
        for key, value in entries:
            if key.lower() not in {k.lower() for k in defaults}:
                problems.add(name, f"[Qorvel] {group} has unknown key {key}")
            written.setdefault(key.lower(), value)
        for key, default in defaults.items():
            if key.lower() not in written:
                problems.add(name, f"[Qorvel] {group} lacks {key}")
                continue
            read = extract_value(raw, key, "\0")
            if read != written[key.lower()]:
                problems.add(name, f"[Qorvel] {group} {key} reads {read!r} from another entry; "
                                   f"write {key} before the entry whose name ends in it")
            elif default is not None and read != default:
                problems.add(name, f"[Qorvel] {group} {key} is {read!r}, default is {default!r}")
            elif default is None and not read.strip():
                problems.add(name, f"[Qorvel] {group} {key} is empty")


def check_items(where, entries, menus, problems):
    """Item lines of a bar, menu or type: the key, " = " and the value form the item."""
    known = set(COMMANDS) | set(EDIT_COMMANDS)
    identities = set()
    for key, value, number in entries:
        if key.lower() == "params":
            continue
        at = f"{where}:{number}"
        if "(" in key or "[" in key:
            problems.add(at, f"key {key!r} holds a parameter; the key is part of the item")
        item = f"{key} = {value}"
        command = extract_value(item, "CMD", "")
        if command not in known:
            problems.add(at, f"unknown command {command!r}")
        identity = command + extract_value(item, "Param1", "") + extract_value(item, "Param2", "")
        if identity in identities:
            problems.add(at, f"same CMD+Param1+Param2 as an earlier item: only the first is shown")
        identities.add(identity)
        for param, words in (("Align", ALIGN_WORDS), ("Fit", FIT_WORDS), ("Style", STYLE_WORDS)):
            word = extract_value(item, param, None)
            if word is not None and word not in words:
                problems.add(at, f"{param}({word}) is not one of {sorted(words)}")
        menu = extract_value(item, "Menu", None)
        if menu is not None and menu.lower() not in {m.lower() for m in menus}:
            problems.add(at, f"Menu({menu}) names no menu of Menus.QVS")


def check_bars(settings, menus, problems):
    for control in EDITABLE_CONTROLS:
        section = f"{control}.Items"
        entries = settings.find_section(section)
        if not entries:
            problems.add(settings.path.name, f"[{section}] missing or empty")
            continue
        check_items(f"{settings.path.name} [{section}]", entries, menus, problems)


def check_menus(menu_file, problems):
    names = list(menu_file.sections)
    for wanted in PROGRAM_MENUS:
        if menu_file.find_section(wanted) is None:
            problems.add(menu_file.path.name, f"menu [{wanted}] missing")
    for section, entries in menu_file.sections.items():
        if not any(k.lower() != "params" for k, _, _ in entries):
            problems.add(menu_file.path.name, f"menu [{section}] has no items and never shows")
        check_items(f"{menu_file.path.name} [{section}]", entries, names, problems)


def check_types(types, menu_names, problems):
    name = types.path.name
    for wanted in PROGRAM_TYPES:
        if types.find_section(wanted) is None:
            problems.add(name, f"type [{wanted}] missing")
    for section, entries in types.sections.items():
        check_items(f"{name} [{section}]", entries, menu_names, problems)
        seen, current = [], section
        while True:
            params = types.value(current, "Params") or ""
            parent = extract_value("Params = " + params, "Type", "")
            if not parent:
                break
            if types.find_section(parent) is None:
                problems.add(name, f"[{current}] names the missing parent type {parent}")
                break
            seen.append(current.lower())
            if parent.lower() in seen:
                problems.add(name, f"[{section}] parent types run in a circle")
                break
            current = parent


def main(argv):
    data = Path(argv[1]) if len(argv) > 1 else Path(__file__).resolve().parent.parent / "data" / "Data"
    problems = Problems()
    files = {}
    for key, relative in (("lang", "Language/English.QVL"), ("settings", "Settings.QVS"),
                          ("menus", "Menus.QVS"), ("types", "Types.QVS")):
        path = data / relative
        if not path.is_file():
            problems.add(str(path), "missing")
        else:
            files[key] = IniFile(path, problems)
    menu_names = list(files["menus"].sections) if "menus" in files else []
    if "menus" in files:
        check_menus(files["menus"], problems)
    if "lang" in files:
        check_language(files["lang"], menu_names, problems)
    if "settings" in files:
        check_settings(files["settings"], problems)
        check_bars(files["settings"], menu_names, problems)
    if "types" in files:
        check_types(files["types"], menu_names, problems)
    for problem in problems.items:
        print(problem)
    if problems.items:
        print(f"{len(problems.items)} problem(s) in {data}")
        return 1
    print(f"data files in {data} are consistent")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
