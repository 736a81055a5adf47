#!/usr/bin/env python3
"""Prints the delay-import table of a 64-bit PE image, one line per library:
"<dll>: <name> <name> ...".

objdump does not print this table, and the GNU linker leaves the image's
delay-import directory entry empty: dlltool's delay-import libraries each
bring their descriptor in the code section (.text$2), where the runtime's
helper finds it through the thunks. So the descriptors are read from the
directory when it is set, else found in the sections by their form: the
attribute 1 (addresses relative to the image), a library name that ends in
".dll", the module handle, the address and name tables inside the image, and
no bound or unload table and no time stamp.

    DelayImports.py IMAGE
"""
import struct
import sys

DESCRIPTOR = struct.Struct("<8I")  # attributes, name, module handle, IAT, INT, bound IAT, unload IAT, time stamp


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe : pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        sections, optional_size = struct.unpack_from("<2xH12xH", data, pe + 4)
        optional = pe + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x20B:
            raise ValueError("not a 64-bit image")
        self.size = struct.unpack_from("<I", data, optional + 56)[0]
        directories = struct.unpack_from("<I", data, optional + 108)[0]
        self.delay_directory = (0, 0)
        if directories > 13:
            self.delay_directory = struct.unpack_from("<2I", data, optional + 112 + 13 * 8)
        self.sections = []
        table = optional + optional_size
        for index in range(sections):
            name, virtual_size, address, raw_size, raw_offset = struct.unpack_from("<8s4I", data, table + index * 40)
            if raw_offset == 0:
                continue  # uninitialised data: nothing of it lies in the file
            self.sections.append((address, max(virtual_size, raw_size), raw_offset, raw_size))

    def offset(self, rva):
        for address, size, raw_offset, raw_size in self.sections:
            if address <= rva < address + size and rva - address < raw_size:
                return raw_offset + rva - address
        return None

    def string(self, rva, limit=256):
        start = self.offset(rva)
        if start is None:
            return None
        end = self.data.find(b"\0", start, start + limit)
        if end < 0:
            return None
        try:
            return self.data[start:end].decode("ascii")
        except UnicodeDecodeError:
            return None

    def descriptor(self, offset):
        fields = DESCRIPTOR.unpack_from(self.data, offset)
        attributes, name, handle, iat, names = fields[:5]
        if attributes != 1 or any(fields[5:]):
            return None
        if not all(0 < rva < self.size for rva in (name, handle, iat, names)):
            return None
        dll = self.string(name)
        if not dll or not dll.lower().endswith(".dll") or not dll.replace(".", "").replace("_", "").isalnum():
            return None
        return dll, names

    def imported_names(self, names):
        result = []
        entry = self.offset(names)
        while entry is not None:
            thunk = struct.unpack_from("<Q", self.data, entry)[0]
            if thunk == 0:
                return result
            if thunk & (1 << 63):
                result.append("#%d" % (thunk & 0xFFFF))
            else:
                name = self.string((thunk & 0x7FFFFFFF) + 2)
                if name is None:
                    return None
                result.append(name)
            entry += 8
        return None

    def delay_imports(self):
        found = []
        rva, size = self.delay_directory
        if rva:
            offset = self.offset(rva)
            while offset is not None and any(DESCRIPTOR.unpack_from(self.data, offset)):
                found.append(self.descriptor(offset))
                offset += DESCRIPTOR.size
            return [entry for entry in found if entry]
        for address, virtual_size, raw_offset, raw_size in self.sections:
            position = raw_offset
            end = raw_offset + raw_size - DESCRIPTOR.size
            while True:
                position = self.data.find(b"\x01\0\0\0", position, end)
                if position < 0:
                    break
                if (position - raw_offset) % 4 == 0:
                    entry = self.descriptor(position)
                    if entry:
                        found.append(entry)
                position += 4 - (position - raw_offset) % 4
        return found


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: DelayImports.py IMAGE")
    with open(sys.argv[1], "rb") as image_file:
        image = Image(image_file.read())
    for dll, names in image.delay_imports():
        functions = image.imported_names(names)
        if functions is None:
            sys.exit("%s: the delay-import names of %s cannot be read" % (sys.argv[1], dll))
        print("%s: %s" % (dll, " ".join(functions)))


if __name__ == "__main__":
    main()
