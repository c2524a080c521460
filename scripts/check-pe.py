#!/usr/bin/env python3
"""Checks that a Windows executable is a self-contained PE32 program: 32-bit x86, the expected
subsystem, imports from system DLLs only (no MinGW runtime DLLs travel with it) and, when asked, the
installer's own resources: icon group 101, an asInvoker manifest and the skin zip ZIPRES 102."""
import argparse
import struct
import sys

SYSTEM_DLLS = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "dbghelp.dll",
    "gdi32.dll", "gdiplus.dll", "imm32.dll", "iphlpapi.dll", "kernel32.dll", "msimg32.dll",
    "msvcrt.dll", "normaliz.dll", "ole32.dll", "oleaut32.dll", "opengl32.dll", "rpcrt4.dll",
    "secur32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll",
    "winhttp.dll", "wininet.dll", "winmm.dll", "wldap32.dll", "ws2_32.dll", "ntdll.dll",
    "userenv.dll", "dnsapi.dll", "iertutil.dll", "urlmon.dll",
}
SUBSYSTEMS = {"gui": 2, "console": 3}


RT_GROUP_ICON = 14
RT_MANIFEST = 24


def parse(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, sections, _, _, _, opt_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    subsystem = struct.unpack_from("<H", data, opt + 68)[0]
    import_rva = struct.unpack_from("<I", data, opt + 96 + 8)[0]
    resource_rva = struct.unpack_from("<I", data, opt + 96 + 16)[0]
    table = opt + opt_size
    spans = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(sections)]

    def offset(rva):
        for vsize, vaddr, rawsize, rawptr in spans:
            if vaddr <= rva < vaddr + max(vsize, rawsize):
                return rva - vaddr + rawptr
        raise ValueError(f"rva {rva:#x} outside every section")

    names = []
    pos = offset(import_rva) if import_rva else None
    while pos is not None:
        name_rva = struct.unpack_from("<I", data, pos + 12)[0]
        if name_rva == 0:
            break
        start = offset(name_rva)
        names.append(data[start:data.index(b"\0", start)].decode("ascii"))
        pos += 20
    return machine, magic, subsystem, names, read_resources(data, offset, resource_rva)


def read_resources(data, offset, root_rva):
    """{(type, name): bytes} of the resource tree (ids as numbers, names as text; first language)."""
    if not root_rva:
        return {}
    root = offset(root_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, directory + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
            if ident & 0x80000000:  # a name: counted UTF-16 text
                at = root + (ident & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, at)[0]
                ident = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield ident, target

    found = {}
    for type_id, type_target in entries(root):
        if not type_target & 0x80000000:
            continue
        for name_id, name_target in entries(root + (type_target & 0x7FFFFFFF)):
            if not name_target & 0x80000000:
                continue
            for _, leaf in entries(root + (name_target & 0x7FFFFFFF)):
                data_rva, size = struct.unpack_from("<II", data, root + leaf)
                start = offset(data_rva)
                found[(type_id, name_id)] = data[start:start + size]
                break
    return found


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("exe")
    ap.add_argument("--subsystem", choices=SUBSYSTEMS, default=None)
    ap.add_argument("--installer-resources", action="store_true",
                    help="require icon group 101, an asInvoker manifest and the skin zip ZIPRES 102")
    args = ap.parse_args()
    machine, magic, subsystem, names, resources = parse(open(args.exe, "rb").read())
    problems = []
    if machine != 0x14C or magic != 0x10B:
        problems.append(f"not PE32 for i386 (machine {machine:#x}, optional header {magic:#x})")
    if args.subsystem and subsystem != SUBSYSTEMS[args.subsystem]:
        problems.append(f"subsystem {subsystem}, expected {args.subsystem}")
    foreign = [n for n in names if n.lower() not in SYSTEM_DLLS]
    if foreign:
        problems.append("imports non-system DLLs: " + ", ".join(foreign))
    if args.installer_resources:
        if (RT_GROUP_ICON, 101) not in resources:
            problems.append("no icon group 101")
        manifest = resources.get((RT_MANIFEST, 1), b"")
        if b'level="asInvoker"' not in manifest:
            problems.append("no manifest with requestedExecutionLevel asInvoker")
        if not resources.get(("ZIPRES", 102), b"").startswith(b"PK\x03\x04"):
            problems.append("no skin zip as resource ZIPRES 102")
    print(f"{args.exe}: imports {', '.join(sorted(names, key=str.lower))}")
    for p in problems:
        print("FAIL: " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
