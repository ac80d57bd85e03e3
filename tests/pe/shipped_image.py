"""What the checks of the shipped image share: the image opened with pefile, its resources, and a
way of reporting findings."""

import pefile


def open_image(path):
    """The parsed image, or None (and a line that says why) for a file that is not one."""
    try:
        return pefile.PE(path)
    except (OSError, pefile.PEFormatError) as e:
        print("PROBLEM  %s is not a readable PE image: %s" % (path, e))
        return None


def resources(image):
    """{(type, name, language): bytes}, with integer ids and names as strings."""
    found = {}
    if not hasattr(image, "DIRECTORY_ENTRY_RESOURCE"):
        return found

    def label(entry):
        return str(entry.name) if entry.name is not None else entry.id

    def children(entry):
        directory = getattr(entry, "directory", None)
        return directory.entries if directory else []

    for kind in image.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in children(kind):
            for language in children(name):
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
