#!/usr/bin/env python3
"""Every call of the program's code that loads a DLL names where it comes
from: LoadLibraryEx with LOAD_LIBRARY_SEARCH_SYSTEM32, or a full path written
out. A bare name without a search flag would be looked for beside the program
first, and the program runs as administrator.

Looked at: LoadLibrary, LoadLibraryEx (A and W), AfxLoadLibrary(Ex),
CoLoadLibrary and LoadPackagedLibrary in the .cpp and .h files of the given
folders, comments left out. Prints each call and what was found.

Not calls of the program, so not looked at: the libraries Windows loads
itself. GDI+ is a Known DLL; COM's in-process servers (the WMI locator, the
Task Scheduler, the shell's dialogs and folder browser) are loaded by
CoCreateInstance from the full path in their registration; Windows Sockets
loads its providers from the full paths in its catalogue. The libraries the
program links are checked in its import and delay-import tables
(ShippedImports.cmake).

    DllLoadCalls.py SOURCE_ROOT FOLDER...
"""
import os
import re
import sys

CALL = re.compile(r"\b(?:(?:Afx|Co)?LoadLibrary(?:Ex)?[AW]?|LoadPackagedLibrary)\s*\(")
COMMENT = re.compile(r"//[^\n]*|/\*.*?\*/", re.S)
STRING = re.compile(r'^\s*L?"((?:[^"\\]|\\.)*)"')


def arguments(text, start):
    """The text between the call's parentheses (start: just after the opening one)."""
    depth = 1
    for index in range(start, len(text)):
        if text[index] == "(":
            depth += 1
        elif text[index] == ")":
            depth -= 1
            if depth == 0:
                return text[start:index]
    return text[start:]


def verdict(args):
    """(fault, what was found): fault is None when the call names where the DLL comes from."""
    if "LOAD_LIBRARY_SEARCH_SYSTEM32" in args:
        return None, "from the system folder"
    literal = STRING.match(args)
    if literal and re.match(r"^([A-Za-z]:)?(\\\\|/)", literal.group(1)):
        return None, "by its full path"
    if literal:
        return "loads %s by a bare name without LOAD_LIBRARY_SEARCH_SYSTEM32" % literal.group(1), None
    return "loads a name that is not shown to be a full path, without LOAD_LIBRARY_SEARCH_SYSTEM32", None


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: DllLoadCalls.py SOURCE_ROOT FOLDER...")
    root = sys.argv[1]
    faults = []
    calls = 0
    for folder in sys.argv[2:]:
        for directory, _, files in sorted(os.walk(os.path.join(root, folder))):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(directory, name)
                with open(path, encoding="utf-8", errors="replace") as source:
                    text = COMMENT.sub(lambda m: "\n" * m.group(0).count("\n"), source.read())
                for match in CALL.finditer(text):
                    calls += 1
                    args = arguments(text, match.end())
                    line = text.count("\n", 0, match.start()) + 1
                    where = "%s:%d" % (os.path.relpath(path, root), line)
                    shown = "%s%s)" % (match.group(0), " ".join(args.split()))
                    fault, found = verdict(args)
                    print("%s: %s: %s" % (where, shown, fault or found))
                    if fault:
                        faults.append("%s: %s" % (where, fault))
    print("%d DLL-loading calls looked at in %s" % (calls, ", ".join(sys.argv[2:])))
    if faults:
        sys.exit("\n".join(faults))


if __name__ == "__main__":
    main()
