#!/usr/bin/env python3
"""Compares the classes a shared library exports with the list a plug-in links
against. Usage: exportedclasses.py <nm> <library> <class>...

Every defined dynamic symbol is reduced to the class (or namespace) it belongs
to; the set of those must equal the given classes. Instantiations of the C++
standard library's templates are left out: libstdc++ gives them default
visibility, so every library that uses them exports its copies.
Exits 77 (skipped) where the library is not an ELF file that nm can read."""

import os
import re
import subprocess
import sys

LINKER_SYMBOLS = {"__bss_start", "_edata", "_end", "_init", "_fini"}
STANDARD = {"std", "__gnu_cxx", "__cxxabiv1"}
PREFIXES = ("vtable for ", "typeinfo for ", "typeinfo name for ", "VTT for ",
            "construction vtable for ", "non-virtual thunk to ", "virtual thunk to ",
            "covariant return thunk to ", "guard variable for ")


def strip_templates(text):
    out, depth = [], 0
    for ch in text:
        if ch == "<":
            depth += 1
        elif ch == ">":
            depth -= 1
        elif depth == 0:
            out.append(ch)
    return "".join(out)


def owner(symbol):
    """The outermost scope of a demangled symbol, or the symbol itself."""
    for prefix in PREFIXES:
        if symbol.startswith(prefix):
            symbol = symbol[len(prefix):]
            break
    # Operators would upset the bracket count; the scope comes before them.
    symbol = re.split(r"::operator\b", symbol)[0]
    symbol = strip_templates(symbol.split("(")[0])
    # A template function's return type comes first: the name is the last word.
    name = symbol.strip().split(" ")[-1]
    return name.split("::")[0]


def exported_owners(nm, library):
    out = subprocess.run([nm, "-D", "--defined-only", "-C", library], check=True,
                         capture_output=True, text=True).stdout
    owners = {}
    for line in out.splitlines():
        parts = line.split(" ", 2)
        if len(parts) < 3:
            continue
        symbol = parts[2]
        if symbol in LINKER_SYMBOLS:
            continue
        owners.setdefault(owner(symbol), []).append(symbol)
    return owners


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    nm, library, expected = sys.argv[1], sys.argv[2], set(sys.argv[3:])
    if os.environ.get("CP_EXPORTS_SANITIZED"):
        print("skipped: a sanitizer's build exports instrumentation symbols; "
              "the plain build checks the list")
        return 77
    with open(library, "rb") as f:
        if f.read(4) != b"\x7fELF":
            print("skipped: not an ELF library, nm cannot list its exports")
            return 77
    owners = exported_owners(nm, library)
    found = set(owners) - STANDARD
    for name in sorted(found - expected):
        print(f"exported but not in the list: {name}, e.g. {owners[name][0]}")
    for name in sorted(expected - found):
        print(f"in the list but not exported: {name}")
    if found != expected:
        return 1
    print(f"{len(found)} classes exported, as listed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
