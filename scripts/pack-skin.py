#!/usr/bin/python3
"""Packs the skin folder into the zip the installer carries as a resource. The archive is the same
byte for byte for the same files: entries sorted by name, fixed timestamps and attributes.

    pack-skin.py <skin folder> <output zip>"""
import os
import sys
import zipfile

FIXED_TIME = (1980, 1, 1, 0, 0, 0)


def skin_files(root):
    """Archive names ('/'-separated, relative to root) of every file but hidden ones."""
    names = []
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = [d for d in subfolders if not d.startswith(".")]
        for file_name in files:
            if not file_name.startswith("."):
                relative = os.path.relpath(os.path.join(folder, file_name), root)
                names.append(relative.replace(os.sep, "/"))
    return sorted(names)


def pack(root, output):
    temporary = output + ".tmp"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name in skin_files(root):
            entry = zipfile.ZipInfo(name, FIXED_TIME)
            entry.create_system = 0
            entry.external_attr = 0
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(root, name), "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)
    os.replace(temporary, output)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    pack(argv[1], argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
