#!/usr/bin/python3
"""The installer package in fresh Wine prefixes, the way a user meets it.

Prefix A: an older package, then this one over it (a major upgrade), then the plug-in
created through COM from the installed file, then the uninstall command that Add/Remove
Programs shows. Prefix B: the same DLL copied by hand and registered with regsvr32, as
the reference for the registry entries. Exits non-zero with the reasons on any failure.

Usage: install_test.py --msi <new.msi> --old-msi <old.msi> --source <installed files>
                       --createcheck <createcheck.exe> --work <folder>"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import threading
import time
from pathlib import Path

CLSID = "{76E81AEA-3C5B-4CCA-BA26-9630E69AB5AE}"
CATID = "{49E86696-EAA6-45A2-9480-C78C013B9713}"
INSTALL_DIR = r"C:\Program Files\Quiescor"
DLL = INSTALL_DIR + r"\quiescor.dll"
CLASS_KEY = "HKLM\\Software\\Classes\\CLSID\\" + CLSID
HOST_KEY = "HKLM\\Software\\Kestrova\\Dockmere\\plugins\\" + CLSID
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
# Add/Remove Programs shows a Windows Installer product's icon from its product key.
PRODUCTS_KEY = "HKLM\\Software\\Classes\\Installer\\Products"

# What DllRegisterServer writes: (key, value name or None for a bare key, data).
REGISTRATION = {
    (CLASS_KEY, "@", "Quiescor"),
    (CLASS_KEY + "\\InprocServer32", "@", DLL),
    (CLASS_KEY + "\\InprocServer32", "threadingmodel", "Apartment"),
    (HOST_KEY, "@", "Quiescor"),
    (HOST_KEY + "\\Langs", None, None),
    (CLASS_KEY + "\\Implemented Categories\\" + CATID, None, None),
}

# Wine rewrites these at every start (devices, fonts); nothing of the plug-in is there.
NOISE = ("hklm\\system\\currentcontrolset\\", "hklm\\software\\wine\\", "hkcu\\software\\wine\\",
         "hklm\\software\\microsoft\\windows nt\\currentversion\\networkcards")
# Windows Installer's own containers, which stay (empty) once it has run.
INSTALLER_BOOKKEEPING = ("hklm\\software\\classes\\installer\\",
                         "hklm\\software\\microsoft\\windows\\currentversion\\installer\\")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED: " + message, flush=True)
    return condition


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


# ----- Registry files of a prefix, as {lower-case key: (key, {lower-case name: data})}.

def decode(raw):
    raw = re.sub(r"^str\(\d+\):", "", raw)  # a typed string such as REG_EXPAND_SZ
    if len(raw) >= 2 and raw[0] == '"' and raw[-1] == '"':
        return re.sub(r"\\(.)", r"\1", raw[1:-1])
    return raw


def read_registry(path, root):
    keys = {}
    values = None
    pending = ""
    for line in Path(path).read_text(encoding="utf-8", errors="replace").splitlines():
        if pending:
            pending += line.strip()
            if not pending.endswith("\\"):
                pending = ""
            continue
        header = re.match(r"^\[(.*)\] \d+$", line)
        if header:
            name = root + "\\" + header.group(1).replace("\\\\", "\\")
            values = {}
            keys[name.lower()] = (name, values)
            continue
        value = re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line)
        if value and values is not None:
            name = value.group(1)
            name = "@" if name == "@" else decode(name).lower()
            values[name] = decode(value.group(2))
            if line.endswith("\\"):
                pending = line
    return keys


def is_noise(key):
    return key.startswith(NOISE)


class Snapshot:
    def __init__(self, prefix):
        self.keys = read_registry(prefix / "system.reg", "HKLM")
        self.keys.update(read_registry(prefix / "user.reg", "HKCU"))
        drive = prefix / "drive_c"
        self.files = {str(p.relative_to(drive)).lower() for p in drive.rglob("*")}

    def entries_since(self, before):
        """What changed since the earlier snapshot, outside the noise: values as
        (key, name, data), and new keys without values or new subkeys as (key, None, None)."""
        entries = set()
        new_keys = [k for k in self.keys if k not in before.keys and not is_noise(k)]
        for lower, (key, values) in self.keys.items():
            if is_noise(lower):
                continue
            old = before.keys.get(lower, (key, {}))[1]
            entries |= {(key, name, data) for name, data in values.items()
                        if old.get(name) != data}
        for lower in new_keys:
            key, values = self.keys[lower]
            if not values and not any(k.startswith(lower + "\\") for k in new_keys):
                entries.add((key, None, None))
        return entries

    def leftovers_since(self, before):
        """Everything that differs from the earlier snapshot but the noise and the empty
        containers that Windows Installer keeps for itself."""
        problems = []
        for lower in set(self.keys) | set(before.keys):
            if is_noise(lower):
                continue
            now = self.keys.get(lower)
            then = before.keys.get(lower)
            if now is None:
                problems.append("key removed: " + then[0])
            elif then is None:
                if now[1] or not (lower + "\\").startswith(INSTALLER_BOOKKEEPING):
                    problems.append("key left: " + now[0])
            elif now[1] != then[1]:
                problems.append(f"values of {now[0]}: {then[1]} became {now[1]}")
        problems += ["file left: " + f for f in self.files - before.files
                     if f != "windows\\installer" and f != "windows/installer"]
        problems += ["file removed: " + f for f in before.files - self.files]
        return sorted(problems)


# ----- One Wine prefix.

class Prefix:
    def __init__(self, folder):
        self.path = folder
        self.env = dict(os.environ, WINEPREFIX=str(folder), WINEARCH="win32", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree=d;mshtml=d")
        self.log = folder.parent / (folder.name + ".log")

    def run(self, *command):
        """The exit status; the output goes to the prefix's log, never into a pipe that
        Wine's background processes would keep open."""
        with open(self.log, "a") as log:
            log.write("$ " + " ".join(command) + "\n")
            log.flush()
            return subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                  stderr=subprocess.STDOUT, timeout=300).returncode

    def wine(self, *command):
        return self.run("wine", *command)

    def settle(self):
        """Waits until the prefix's server has ended, which writes the registry files."""
        self.run("wineserver", "-w")

    def boot(self):
        self.run("wineboot", "-i")
        self.settle()

    def snapshot(self):
        self.settle()
        return Snapshot(self.path)

    def drive(self, windows):
        return self.path / "drive_c" / windows[3:].replace("\\", "/")

    def stop(self):
        self.run("wineserver", "-k")


def tree(folder):
    return {str(p.relative_to(folder)).replace("\\", "/").lower(): p.read_bytes()
            for p in folder.rglob("*") if p.is_file()}


def installed_source(source):
    files = tree(source)
    return {name: data for name, data in files.items()
            if name == "quiescor.dll" or name.startswith("skins/")
            or re.fullmatch(r"lang/quiescor-[a-z]+\.dll", name)}


def file_versions(msi):
    """The Version column of the package's File table, by long file name."""
    table = subprocess.run(["msiinfo", "export", str(msi), "File"], capture_output=True,
                           text=True, check=True).stdout.splitlines()[3:]
    rows = [line.split("\t") for line in table]
    return {row[2].split("|")[-1].lower(): row[4] for row in rows if len(row) > 4}


def registered_by_hand(prefix, source):
    """Prefix B: the DLL copied to the same place and registered with regsvr32."""
    prefix.boot()
    before = prefix.snapshot()
    target = prefix.drive(DLL)
    target.parent.mkdir(parents=True)
    shutil.copyfile(source / "quiescor.dll", target)
    check(prefix.wine("regsvr32", "/s", DLL) == 0, "regsvr32 reports failure")
    return prefix.snapshot().entries_since(before)


def product_entries(snapshot, root, name_value):
    """The values of every key right below root whose name value reads Quiescor."""
    return [values for lower, (key, values) in snapshot.keys.items()
            if lower.startswith(root.lower() + "\\") and "\\" not in lower[len(root) + 1:]
            and values.get(name_value) == "Quiescor"]


def main():
    parser = argparse.ArgumentParser()
    for option in ("--msi", "--old-msi", "--source", "--createcheck", "--work"):
        parser.add_argument(option, required=True, type=lambda p: Path(p).resolve())
    args = parser.parse_args()
    started = time.monotonic()
    shutil.rmtree(args.work, ignore_errors=True)
    args.work.mkdir(parents=True)
    a, b = Prefix(args.work / "installed"), Prefix(args.work / "regsvr32")

    reference = {}
    helper = threading.Thread(target=lambda: reference.update(
        entries=registered_by_hand(b, args.source)))
    helper.start()

    versions = file_versions(args.msi)
    check(versions.get("quiescor.dll") == "2.1.0.0", f"the File table's versions: {versions}")
    languages = [name for name in installed_source(args.source) if name.startswith("lang/")]
    check(languages and all(versions.get(name[5:]) == "1.2.0.0" for name in languages),
          f"language modules {languages}, File table versions {versions}")

    a.boot()
    # A host that is installed already: its own key must survive the uninstall.
    a.wine("reg", "add", r"HKLM\Software\Kestrova\Dockmere", "/v", "Installed", "/d", "1", "/f")
    baseline = a.snapshot()

    check(a.wine("msiexec", "/i", windows_path(args.old_msi), "/qn") == 0,
          "the older package does not install")
    check(a.drive(INSTALL_DIR + r"\skins\Retired\quiescorskin.ini").is_file(),
          "the older package left no files")
    check(a.wine("msiexec", "/i", windows_path(args.msi), "/qn") == 0,
          "the package does not install over the older one")
    installed = a.snapshot()
    print(f"installed in {time.monotonic() - started:.0f} s", flush=True)

    check(tree(a.drive(INSTALL_DIR)) == installed_source(args.source),
          "the installed files differ from the built ones (or the older version's remain)")
    entries = product_entries(installed, UNINSTALL_KEY, "displayname")
    products = product_entries(installed, PRODUCTS_KEY, "productname")
    uninstall = ""
    if check(len(entries) == 1 and len(products) == 1,
             f"Add/Remove Programs lists Quiescor {len(entries)} times"):
        entry = entries[0]
        check(entry.get("displayversion") == "2.1.0.0", f"version {entry.get('displayversion')}")
        check(entry.get("publisher") == "Quiescor developers", f"publisher {entry.get('publisher')}")
        icon = products[0].get("producticon", "")
        check(icon and a.drive(icon).is_file(), f"no icon file at '{icon}'")
        location = entry.get("installlocation", "")
        check(location.rstrip("\\").lower() == INSTALL_DIR.lower(), f"install location '{location}'")
        size = entry.get("size", "")
        built = sum(len(data) for data in installed_source(args.source).values())
        check(size.isdigit() and int(size) * 1024 >= built, f"size '{size}' KB for {built} bytes")
        uninstall = entry.get("uninstallstring", "")
        check("/X{" in uninstall.upper(), f"uninstall command '{uninstall}'")

    helper.join()
    check(reference.get("entries") == REGISTRATION,
          f"regsvr32 wrote {sorted(reference.get('entries', []), key=str)}")
    mine = {e for e in installed.entries_since(baseline)
            if e[0].lower().startswith((CLASS_KEY.lower(), "hklm\\software\\kestrova"))}
    check(mine == reference.get("entries"),
          f"the package wrote {sorted(mine, key=str)}, regsvr32 "
          f"{sorted(reference.get('entries', []), key=str)}")
    check(a.wine(str(windows_path(args.createcheck)), DLL) == 0,
          "the plug-in cannot be created through COM from the installed file")

    # The command that Add/Remove Programs runs, made silent.
    check(bool(uninstall) and a.wine(*uninstall.split(), "/qn") == 0, "uninstall fails")
    leftovers = a.snapshot().leftovers_since(baseline)
    check(not leftovers, "after uninstall: " + "; ".join(leftovers[:20]))

    a.stop()
    b.stop()
    print(f"install test: {time.monotonic() - started:.0f} s, "
          f"{'failed' if failures else 'passed'}; logs in {args.work}", flush=True)
    if failures:
        return 1
    # The prefixes take more than half a gigabyte each; a failed run keeps them to look at.
    for prefix in (a, b):
        shutil.rmtree(prefix.path, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
