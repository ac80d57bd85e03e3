"""What the checks of the shipped image share: the image opened with pefile, its resources, and a
way of reporting findings."""

import pefile


def open_image(path):
    """The parsed image; pefile.PEFormatError for a file that is not one."""
    return pefile.PE(path, fast_load=False)


def resources(image):
    """{(type, name, language): bytes}, with integer ids and names as strings."""
    found = {}
    if not hasattr(image, "DIRECTORY_ENTRY_RESOURCE"):
        return found

    def label(entry):
        return str(entry.name) if entry.name is not None else entry.id

    for kind in image.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in getattr(kind, "directory", None) and kind.directory.entries or ():
            for language in getattr(name, "directory", None) and name.directory.entries or ():
                entry = language.data.struct
                found[(label(kind), label(name), language.id)] = image.get_data(entry.OffsetToData, entry.Size)
    return found


class Findings:
    """Prints every check as it is made; the exit code is 1 if any failed."""

    def __init__(self):
        self.problems = []

    def expect(self, ok, what):
        print(("ok       " if ok else "PROBLEM  ") + what)
        if not ok:
            self.problems.append(what)

    def exit_code(self):
        print("%d problem(s)" % len(self.problems))
        return 1 if self.problems else 0
