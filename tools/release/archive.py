"""SHA256SUMS and a zip archive that are byte-identical from run to run for the same files."""

import hashlib
import os
import zipfile

FILE_MODE = 0o644
EARLIEST_ZIP_TIME = 315532800   # 1980-01-01, the first time a zip entry can hold


def files_under(folder):
    """Every file under folder, as paths relative to it with '/' separators, sorted."""
    found = []
    for current, dirs, files in os.walk(folder):
        for f in files:
            found.append(os.path.relpath(os.path.join(current, f), folder).replace(os.sep, "/"))
    return sorted(found)


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            digest.update(chunk)
    return digest.hexdigest()


def write_sums(base, names, out_path):
    """sha256sum's format, so that `sha256sum -c` checks it from base."""
    with open(out_path, "w", newline="\n") as out:
        for name in names:
            out.write("%s  %s\n" % (sha256_of(os.path.join(base, name)), name))


def write_zip(base, names, out_path, timestamp):
    """The files base/name into out_path under their names, in the given order, with one time
    (seconds since 1970, UTC) and one mode for all: nothing of the machine or the moment."""
    import time
    date_time = time.gmtime(max(timestamp, EARLIEST_ZIP_TIME))[:6]
    with zipfile.ZipFile(out_path, "w") as archive:
        for name in names:
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = 3   # Unix, so that the mode below is read
            info.external_attr = (0o100000 | FILE_MODE) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(base, name), "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)
