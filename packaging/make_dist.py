#!/usr/bin/python3
"""Builds the Windows Installer package and the zip of one Quiescor version.

Usage: make_dist.py --version 2.1.0 --source <folder> --icon <file.ico> --out <folder>

The source folder holds quiescor.dll, the skins folder and the lang folder of language
modules, as they are installed; the package and the zip carry exactly those files. Writes <out>/quiescor-<version>.msi and
<out>/quiescor-<version>.zip."""
import argparse
import os
import struct
import subprocess
import sys
import tempfile
import uuid
import zipfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
# Each version has a product code of its own, the same in every build of it: a major
# upgrade needs a new one, a rebuild should not make one.
PRODUCT_NAMESPACE = uuid.UUID("8B0F3C52-61E4-4B7A-9D2E-7C5A1F09B6D3")
# The signature that opens a version resource's fixed part (VS_FIXEDFILEINFO).
FIXED_FILE_INFO = struct.pack("<I", 0xFEEF04BD)


def installed_files(source):
    files = [source / "quiescor.dll"]
    files += sorted(p for p in (source / "skins").rglob("*") if p.is_file())
    files += sorted((source / "lang").glob("quiescor-*.dll"))
    missing = [str(p) for p in files if not p.is_file()]
    if missing:
        sys.exit("make_dist: missing " + ", ".join(missing))
    return files


def content_fragment(source, out):
    """The skins and the language modules as wixl components, one per file."""
    names = "".join(str(p.relative_to(source)) + "\n"
                    for p in installed_files(source)[1:])
    fragment = subprocess.run(
        ["wixl-heat", "--var", "var.Source", "--directory-ref", "INSTALLDIR",
         "--component-group", "Content", "-p", ""],
        input=names, capture_output=True, text=True, check=True, cwd=source).stdout
    path = out / "content.wxs"
    path.write_text(fragment)
    return path


def file_version(path):
    """The file version of a module's version resource, as "2.1.0.0"."""
    data = path.read_bytes()
    at = data.find(FIXED_FILE_INFO)
    if at < 0 or at + 16 > len(data):
        sys.exit(f"make_dist: {path} has no version resource")
    most, least = struct.unpack_from("<II", data, at + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


def set_file_versions(msi, source):
    """wixl leaves the File table's Version column empty; Windows Installer compares it
    with an installed file's version to decide whether to replace it."""
    with tempfile.TemporaryDirectory() as folder:
        table = subprocess.run(["msiinfo", "export", str(msi), "File"], capture_output=True,
                               text=True, check=True).stdout.split("\n")
        versions = {"quiescor.dll": file_version(source / "quiescor.dll")}
        versions.update((p.name.lower(), file_version(p))
                        for p in sorted((source / "lang").glob("quiescor-*.dll")))
        for i, line in enumerate(table[3:], start=3):
            row = line.split("\t")
            if len(row) > 4:
                long_name = row[2].split("|")[-1].lower()
                row[4] = versions.get(long_name, row[4])
                table[i] = "\t".join(row)
        Path(folder, "File.idt").write_text("\n".join(table))
        subprocess.run(["msibuild", str(msi), "-i", f"{folder}/File.idt"], check=True)


def build_package(args, out):
    product_code = str(uuid.uuid5(PRODUCT_NAMESPACE, args.version)).upper()
    msi = out / f"quiescor-{args.version}.msi"
    size_kb = (sum(p.stat().st_size for p in installed_files(args.source)) + 1023) // 1024
    # wixl looks files up relative to the folder it runs in and refuses absolute paths.
    subprocess.run(
        ["wixl", "-o", str(msi),
         "-D", f"Version={args.version}.0",
         "-D", f"ProductCode={product_code}",
         "-D", f"SizeKB={size_kb}",
         "-D", f"Source={os.path.relpath(args.source, out)}",
         "-D", f"Icon={os.path.relpath(args.icon, out)}",
         str(HERE / "quiescor.wxs"), str(content_fragment(args.source, out))],
        check=True, cwd=out)
    set_file_versions(msi, args.source)
    return msi


def build_zip(args, out):
    archive = out / f"quiescor-{args.version}.zip"
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as zipped:
        for path in installed_files(args.source):
            zipped.write(path, Path("Quiescor") / path.relative_to(args.source))
    return archive


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True, help="three parts, e.g. 2.1.0")
    parser.add_argument("--source", required=True, type=lambda p: Path(p).resolve())
    parser.add_argument("--icon", required=True, type=lambda p: Path(p).resolve())
    parser.add_argument("--out", required=True, type=lambda p: Path(p).resolve())
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    for made in (build_package(args, args.out), build_zip(args, args.out)):
        print(f"make_dist: {made}")


if __name__ == "__main__":
    main()
