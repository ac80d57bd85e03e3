#!/usr/bin/env bash
# wine32-loader --backports-source: the archive comes from apt's own sources, in the one-line and
# the deb822 format, and a machine whose sources name no archive for its release gets a message.
# The sources here are local folders (file: URIs): apt reads them as it reads any archive's.
set -uo pipefail
loader=$1
release=$(. /etc/os-release && echo "$VERSION_CODENAME")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# check NAME EXPECTED-OUTPUT EXPECTED-STATUS: runs the loader on the sources written into $work/NAME.
check() {
  local name=$1 want=$2 want_status=$3 got status
  printf 'Dir::Etc::SourceList "%s/%s/sources.list";\nDir::Etc::SourceParts "%s/%s/parts";\n' \
    "$work" "$name" "$work" "$name" > "$work/$name/apt.conf"
  got=$(APT_CONFIG="$work/$name/apt.conf" "$loader" --backports-source 2>&1)
  status=$?
  if [ "$got" != "$want" ] || [ "$status" -ne "$want_status" ]; then
    echo "FAIL $name: got \"$got\" (status $status), want \"$want\" (status $want_status)"
    failed=1
  fi
}
case_dir() { mkdir -p "$work/$1/parts"; touch "$work/$1/sources.list"; }

# One-line format: security and source lines come first and are passed over.
case_dir one-line
cat > "$work/one-line/sources.list" <<SRC
deb-src file:/srv/src/debian $release main
deb file:/srv/security/debian-security $release-security main
deb [arch=amd64] file:/srv/one/debian/ $release main contrib
SRC
check one-line "deb file:/srv/one/debian $release-backports main" 0

# deb822 in sources.list.d, several suites in one stanza; a third-party suite named otherwise.
case_dir deb822
cat > "$work/deb822/parts/other.sources" <<SRC
Types: deb
URIs: file:/srv/other/apt
Suites: nodistro
Components: main
SRC
cat > "$work/deb822/parts/debian.sources" <<SRC
Types: deb
URIs: file:/srv/stanza/debian
Suites: $release-updates $release
Components: main
SRC
check deb822 "deb file:/srv/stanza/debian $release-backports main" 0

case_dir none
echo "deb file:/srv/other/apt nodistro main" > "$work/none/sources.list"
check none "wine32-loader: apt's sources name no archive for release $release" 1

exit $failed
