"""The vendor's languages of a release: each file checked by the wizard's own parser (the
language-check tool) and measured in its places (language_fit), then listed with the shipped ones
that it does not replace, for the program's resources."""

import os
import re
import shutil
import subprocess

import language_fit

HERE = os.path.dirname(os.path.abspath(__file__))
SHIPPED = os.path.join(HERE, "..", "..", "res", "languages")
TEMPLATE = os.path.join(HERE, "..", "..", "res", "setup.rc")
TAG = re.compile(r"^[A-Za-z]{2,3}(-[A-Za-z0-9]{2,8})?$")


def vendor_files(folder):
    """{tag: path} of the folder's language files."""
    return {name[:-4]: os.path.join(folder, name) for name in sorted(os.listdir(folder)) if name.endswith(".txt")}


def _shipped():
    return {name[:-4]: os.path.join(SHIPPED, name) for name in sorted(os.listdir(SHIPPED)) if name.endswith(".txt")}


def check_folder(folder, tool):
    """The report on the folder's languages, and its problems (each naming its language and key)."""
    problems = []
    with open(TEMPLATE, encoding="utf-8") as rc:
        places = language_fit.template_places(rc.read())
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".txt"):
            problems.append("%s: not a language file (a language is a file named by its tag, such as de.txt)" % name)
    files = vendor_files(folder)
    if not files:
        problems.append("%s holds no language file" % folder)
    for tag, path in files.items():
        if not TAG.match(tag):
            problems.append("%s: the file's name is not a language tag (de, zh-CN, ...)" % tag)
            continue
        run = subprocess.run([tool, path], capture_output=True, text=True, errors="backslashreplace")
        if run.returncode != 0:
            lines = run.stdout.splitlines() or [run.stderr.strip() or "cannot be read"]
            problems.extend(line if line.startswith(tag) else "%s: %s" % (tag, line) for line in lines)
            continue
        lines = run.stdout.splitlines()
        charset = int(lines[1].split()[1])
        texts = dict(line.split("\t", 1) for line in lines[2:])
        texts = {key: text.replace("\\n", "\n") for key, text in texts.items()}
        for key, why in language_fit.misfits(texts, charset, places):
            problems.append("%s: %s does not fit: %s" % (tag, key, why))
    shipped = _shipped()
    listed = ["%s (%s)" % (tag, "the vendor's, in place of the shipped one" if tag in shipped else "the vendor's")
              for tag in files]
    listed += ["%s (shipped)" % tag for tag in shipped if tag.lower() not in {t.lower() for t in files}]
    return "release: languages besides English: " + ", ".join(listed), problems


def write_resources(files, work):
    """release-languages/ and release_languages.rc in work: every shipped language the vendor's do
    not replace, and the vendor's. (A folder named apart from the program's res/languages, which
    the resource compiler searches first.)"""
    chosen = {tag.lower(): (tag, path) for tag, path in _shipped().items()}
    chosen.update({tag.lower(): (tag, path) for tag, path in files.items()})
    os.makedirs(os.path.join(work, "release-languages"), exist_ok=True)
    lines = []
    for tag, path in sorted(chosen.values(), key=lambda entry: entry[0].lower()):
        shutil.copyfile(path, os.path.join(work, "release-languages", tag + ".txt"))
        lines.append('%s WIZARD_TEXTS "release-languages/%s.txt"\n' % (tag.upper(), tag))
    with open(os.path.join(work, "release_languages.rc"), "w", encoding="ascii") as rc:
        rc.write("".join(lines))
