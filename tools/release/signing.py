"""Authenticode signing of the program with osslsigncode, from the vendor's PKCS#12 file.

The password never appears on a command line, where any user can read it in the process list:
osslsigncode reads it from a pipe, openssl from the environment."""

import os
import shutil
import subprocess
import tempfile

PKCS12_VARIABLE = "SKYLARK_SIGN_PKCS12"
PASSWORD_VARIABLE = "SKYLARK_SIGN_PASSWORD"
SYSTEM_CA_FILE = "/etc/ssl/certs/ca-certificates.crt"


class SigningError(Exception):
    pass


def signing_inputs():
    """(PKCS#12 path, password) from the environment; raises SigningError naming what is missing."""
    pkcs12 = os.environ.get(PKCS12_VARIABLE, "")
    password = os.environ.get(PASSWORD_VARIABLE)
    if not pkcs12:
        raise SigningError("--sign needs the PKCS#12 file's path in %s" % PKCS12_VARIABLE)
    if not os.path.isfile(pkcs12):
        raise SigningError("%s names %s, which is not a file" % (PKCS12_VARIABLE, pkcs12))
    if password is None:
        raise SigningError("--sign needs the PKCS#12 file's password in %s" % PASSWORD_VARIABLE)
    return pkcs12, password


def _run(command, stdin_text=None):
    run = subprocess.run(command, input=stdin_text, capture_output=True, text=True)
    if run.returncode != 0:
        lines = (run.stdout + run.stderr).strip().splitlines()
        raise SigningError("%s failed: %s" % (" ".join(command[:2]), " / ".join(lines[-4:])))
    return run.stdout


def _no_crl_fetching():
    """Newer osslsigncode fetches revocation lists named in certificates unless told not to;
    Debian 12's own (2.5) neither does nor knows the option."""
    usage = subprocess.run(["osslsigncode", "verify", "--help"], capture_output=True, text=True)
    return ["-ignore-cdp"] if "-ignore-cdp" in usage.stdout + usage.stderr else []


def certificates_of(pkcs12, work):
    """The PKCS#12 file's certificates as PEM (leaf first), and the leaf's SHA-256 hash."""
    pem = os.path.join(work, "certificates.pem")
    _run(["openssl", "pkcs12", "-in", pkcs12, "-nokeys", "-passin", "env:" + PASSWORD_VARIABLE,
          "-out", pem])
    leaf = os.path.join(work, "leaf.pem")
    _run(["openssl", "pkcs12", "-in", pkcs12, "-nokeys", "-clcerts", "-passin",
          "env:" + PASSWORD_VARIABLE, "-out", leaf])
    fingerprint = _run(["openssl", "x509", "-in", leaf, "-noout", "-fingerprint", "-sha256"])
    return pem, fingerprint.split("=", 1)[1].strip().replace(":", "")


def sign(program, timestamp_url=None):
    """Signs program in place (SHA-256, timestamped when a server is given), then verifies that the
    signature is sound and made with the vendor's certificate. Returns what verification said."""
    pkcs12, password = signing_inputs()
    with tempfile.TemporaryDirectory(prefix="skylark-sign-") as work:
        signed = os.path.join(work, "signed.exe")
        command = ["osslsigncode", "sign", "-pkcs12", pkcs12, "-readpass", "/dev/stdin",
                   "-h", "sha256",
                   "-n", os.path.splitext(os.path.basename(program))[0]]
        if timestamp_url:
            command += ["-ts", timestamp_url]
        _run(command + ["-in", program, "-out", signed], stdin_text=password)

        # Trusted: the machine's CAs and the vendor's own chain (a test certificate is its own
        # root). Revocation lists are Windows' business on the customer's machine.
        certificates, leaf_hash = certificates_of(pkcs12, work)
        trusted = os.path.join(work, "trusted.pem")
        with open(trusted, "w") as out:
            for source in (SYSTEM_CA_FILE, certificates):
                if os.path.isfile(source):
                    with open(source) as f:
                        out.write(f.read())
        report = _run(["osslsigncode", "verify", "-in", signed, "-CAfile", trusted,
                       "-require-leaf-hash", "sha256:" + leaf_hash] + _no_crl_fetching())
        shutil.copyfile(signed, program)
    return report

