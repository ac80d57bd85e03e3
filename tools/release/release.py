#!/usr/bin/python3
"""From a vendor's data folder to the folder a customer gets, checked, optionally signed, with
SHA256SUMS and a reproducible zip archive. scripts/release builds the program and runs this.

    release.py DATA_DIR OUT_DIR --build-pinned BUILDER --gif-frames TOOL [--codepage N]
               [--package-codes msi|dpinst|none] [--languages DIR --language-check TOOL]
               [--sign] [--timestamp URL]
    release.py DATA_DIR OUT_DIR --check-arguments [...]

Once the data folder passes its checks, the program is built with the release's pins (the SHA-256
of each data file the wizard uses, and what the package's exit codes mean): BUILDER PINS_FILE
builds it and prints its path as its last line. OUT_DIR gets FOLDER/ (that program and data/), FOLDER.zip and SHA256SUMS, where FOLDER is the
program's name without .exe. Nothing is written unless every step succeeds."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import archive
import data_check
import languages
import licence_encoding
import pins
import signing

EXIT_FAILED = 1
EXIT_USAGE = 2


def parse_arguments(argv):
    parser = argparse.ArgumentParser(prog="release", description=__doc__.split("\n")[0])
    parser.add_argument("data_dir", metavar="DATA_DIR")
    parser.add_argument("out_dir", metavar="OUT_DIR")
    parser.add_argument("--build-pinned", metavar="BUILDER",
                        help="builds the program with a pins file (scripts/release gives it)")
    parser.add_argument("--gif-frames", help="the gif-frames tool (scripts/release gives it)")
    parser.add_argument("--codepage", type=int, default=1252,
                        help="the customers' ANSI code page, for the licence check (default 1252)")
    parser.add_argument("--package-codes", choices=pins.PACKAGE_CODES, default="msi",
                        help="what the package's exit codes mean: Windows Installer's (msi, the "
                        "default), the Windows driver installer's bit mask (dpinst), or nothing "
                        "(none: the Finish page whatever the code)")
    parser.add_argument("--languages", metavar="DIR",
                        help="the vendor's languages, a UTF-8 file each named by its tag (de.txt, "
                        "zh-CN.txt), built into the program; each replaces the shipped one of its tag")
    parser.add_argument("--language-check", metavar="TOOL",
                        help="the language-check tool (scripts/release gives it)")
    parser.add_argument("--sign", action="store_true",
                        help="sign the program (PKCS#12 file and password from %s and %s)"
                        % (signing.PKCS12_VARIABLE, signing.PASSWORD_VARIABLE))
    parser.add_argument("--timestamp", metavar="URL", help="RFC 3161 timestamp server for --sign")
    parser.add_argument("--check-arguments", action="store_true",
                        help=argparse.SUPPRESS)   # scripts/release, before it builds
    return parser.parse_args(argv)


def problem_with_arguments(args):
    if licence_encoding.codec_for_code_page(args.codepage) is None:
        return "code page %d is not one this tool knows" % args.codepage
    if not os.path.isdir(args.data_dir):
        return "%s is not a folder" % args.data_dir
    if os.path.isdir(args.out_dir) and os.listdir(args.out_dir):
        return "%s is not empty: give a new or empty folder" % args.out_dir
    if os.path.exists(args.out_dir) and not os.path.isdir(args.out_dir):
        return "%s is not a folder" % args.out_dir
    data_dir, out_dir = os.path.realpath(args.data_dir), os.path.realpath(args.out_dir)
    if os.path.commonpath([data_dir, out_dir]) == data_dir:
        return "%s lies inside the data folder %s" % (args.out_dir, args.data_dir)
    if args.languages and not os.path.isdir(args.languages):
        return "%s is not a folder" % args.languages
    if args.timestamp and not args.sign:
        return "--timestamp goes with --sign"
    if args.sign:
        try:
            signing.signing_inputs()
        except signing.SigningError as e:
            return str(e)
    if args.check_arguments:
        return None
    tools = [("--build-pinned", args.build_pinned), ("--gif-frames", args.gif_frames)]
    if args.languages:
        tools.append(("--language-check", args.language_check))
    for option, path in tools:
        if not path or not os.path.isfile(path):
            return "%s needs an existing file" % option
    return None


def archive_time():
    """SOURCE_DATE_EPOCH when set, else the time of the commit the tool belongs to."""
    if os.environ.get("SOURCE_DATE_EPOCH", "").isdigit():
        return int(os.environ["SOURCE_DATE_EPOCH"])
    here = os.path.dirname(os.path.abspath(__file__))
    run = subprocess.run(["git", "-C", here, "log", "-1", "--format=%ct"], capture_output=True,
                         text=True)
    return int(run.stdout) if run.returncode == 0 and run.stdout.strip().isdigit() else 0


def build_pinned(builder, data_dir, package_codes, work, vendor_languages=None):
    """The program built with the pins of data_dir (the pins file in work), as a path; raises
    OSError if the build fails."""
    text = pins.pins_text(data_dir, package_codes=package_codes)
    print("release: pins (SHA-256) recorded in the program:")
    print("".join("  " + line for line in text.splitlines(True)), end="")
    pins_file = os.path.join(work, "release_pins.txt")
    pins.write_if_changed(pins_file, text)
    if vendor_languages:
        languages.write_resources(vendor_languages, work)
    run = subprocess.run([builder, pins_file], stdout=subprocess.PIPE, text=True)
    lines = run.stdout.strip().splitlines()
    if run.returncode != 0 or not lines or not os.path.isfile(lines[-1]):
        raise OSError("the pinned build failed (%s, exit code %d)" % (builder, run.returncode))
    # A program without the pins it was built for would check nothing, or the wrong things.
    try:
        held = pins.pins_in_program(lines[-1])
    except Exception as e:   # pefile's own errors among them: an unreadable program is no release
        raise OSError("the program built cannot be read back: %s" % e)
    if held != text.encode():
        raise OSError("the program built (%s) does not hold the pins printed above%s" % (
            lines[-1], "" if held is None else ": it holds\n" + held.decode(errors="backslashreplace")))
    print("release: the program built holds those pins")
    return lines[-1]


def make_release(args, staging):
    with tempfile.TemporaryDirectory(prefix="skylark-pins-") as work:
        vendor = languages.vendor_files(args.languages) if args.languages else None
        copy_release(args, staging, build_pinned(args.build_pinned, args.data_dir, args.package_codes, work, vendor))


def copy_release(args, staging, built):
    name = os.path.splitext(os.path.basename(built))[0]
    folder = os.path.join(staging, name)
    program = os.path.join(folder, os.path.basename(built))
    # Contents only: modes and times of the vendor's files are none of the customer's business.
    shutil.copytree(args.data_dir, os.path.join(folder, "data"), copy_function=shutil.copyfile)
    shutil.copyfile(built, program)
    if args.sign:
        report = signing.sign(program, args.timestamp)
        print("release: signed %s; osslsigncode verify: %s" % (
            os.path.basename(program), report.strip().splitlines()[-1]))
    else:
        print("release: %s is NOT signed (--sign signs it)" % os.path.basename(program))

    names = [name + "/" + f for f in archive.files_under(folder)]
    archive.write_zip(staging, names, os.path.join(staging, name + ".zip"), archive_time())
    archive.write_sums(staging, names + [name + ".zip"], os.path.join(staging, "SHA256SUMS"))


def main(argv):
    # A vendor's file name that is not UTF-8 is still printed, not a crash.
    sys.stdout.reconfigure(errors="backslashreplace")
    sys.stderr.reconfigure(errors="backslashreplace")
    args = parse_arguments(argv)
    problem = problem_with_arguments(args)
    if problem:
        print("release: %s" % problem, file=sys.stderr)
        return EXIT_USAGE
    if args.check_arguments:
        return 0

    rows = data_check.check_folder(args.data_dir, args.codepage, args.gif_frames)
    print(data_check.format_table(rows))
    errors = sum(r.verdict == data_check.ERROR for r in rows)
    if args.languages:
        report, problems = languages.check_folder(args.languages, args.language_check)
        print(report)
        for problem in problems:
            print("release: language %s" % problem, file=sys.stderr)
        errors += len(problems)
    if errors:
        print("release: %d error(s) in %s: nothing written" % (errors, args.data_dir),
              file=sys.stderr)
        return EXIT_FAILED

    out_dir = os.path.abspath(args.out_dir)
    os.makedirs(os.path.dirname(out_dir), exist_ok=True)
    staging = tempfile.mkdtemp(prefix=".release-", dir=os.path.dirname(out_dir))
    try:
        make_release(args, staging)
        if os.path.isdir(out_dir):
            os.rmdir(out_dir)   # empty, as checked
        os.rename(staging, out_dir)
    except (OSError, signing.SigningError) as e:
        shutil.rmtree(staging, ignore_errors=True)
        print("release: %s: nothing written" % e, file=sys.stderr)
        return EXIT_FAILED
    os.chmod(out_dir, 0o755)   # mkdtemp's 0700 was for the work in progress
    print("release: %s" % out_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
