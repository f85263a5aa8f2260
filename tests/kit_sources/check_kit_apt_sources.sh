#!/usr/bin/env bash
# kit-apt-sources.sh on made-up machines: every "deb" entry becomes the same "deb-src" entry with
# its options, in both formats; comments, source-only and disabled entries are left out; a
# machine with no entry is told so. The archives here are local folders (file: addresses).
#   check_kit_apt_sources.sh path/to/kit-apt-sources.sh
set -uo pipefail
script=${1:?usage: check_kit_apt_sources.sh kit-apt-sources.sh}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passes=0
failures=0
check() { # what, then a command that must succeed
  local what=$1; shift
  if "$@"; then echo "PASS: $what"; passes=$((passes + 1)); else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
derive() { # machine folder, output folder
  "$script" "$2" -o "Dir::Etc::SourceList=$1/sources.list" -o "Dir::Etc::SourceParts=$1/parts"
}

# A machine with a one-line list, a .list part and a deb822 part.
m=$tmp/machine
mkdir -p "$m/parts"
cat >"$m/sources.list" <<'LIST'
# the local mirror
deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] file:/srv/mirror/debian bookworm main contrib
deb-src file:/srv/mirror/debian bookworm main
   deb file:/srv/mirror/debian bookworm-updates main
LIST
cat >"$m/parts/extra.list" <<'LIST'
deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] file:/srv/mirror/debian bookworm main contrib
deb [arch=amd64] file:/srv/other bookworm main
LIST
cat >"$m/parts/debian.sources" <<'SOURCES'
Types: deb
# a comment inside the stanza
URIs: file:/srv/mirror/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: file:/srv/only-sources
Suites: bookworm
Components: main

types: deb deb-src
URIs: file:/srv/both
Suites: bookworm
Components: main

Types: deb
URIs: file:/srv/switched-off
Suites: bookworm
Components: main
Enabled: no
SOURCES
echo "deb file:/srv/ignored bookworm main" >"$m/parts/ignored.list.disabled"

out=$tmp/out
check "derived without error" derive "$m" "$out"
expected_list="deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] file:/srv/mirror/debian bookworm main contrib
deb-src file:/srv/mirror/debian bookworm-updates main
deb-src [arch=amd64] file:/srv/other bookworm main"
check "one-line entries become source entries, options kept, each once" \
  test "$(cat "$out/sources.list")" = "$expected_list"
expected_sources="Types: deb-src
URIs: file:/srv/mirror/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: file:/srv/both
Suites: bookworm
Components: main"
check "deb822 stanzas with deb become deb-src; source-only and disabled ones are left out" \
  test "$(cat "$out/sources.list.d/debian.sources")" = "$expected_sources"
check "files apt does not read are not read" test ! -e "$out/sources.list.d/ignored.list.disabled"
check "apt reads the result" apt-get -o "Dir::Etc::SourceList=$out/sources.list" \
  -o "Dir::Etc::SourceParts=$out/sources.list.d" -o "Dir::State::Lists=$tmp/lists" indextargets --no-release-info \
  --format '$(REPO_URI)' >/dev/null

# A machine with deb822 only and no sources.list, as Debian 12 installs it.
n=$tmp/deb822-only
mkdir -p "$n/parts"
sed -n '1,6p' "$m/parts/debian.sources" >"$n/parts/debian.sources"
check "deb822 only: derived" derive "$n" "$tmp/out2"
check "deb822 only: empty one-line list" test ! -s "$tmp/out2/sources.list"
check "deb822 only: the stanza is there" grep -qx "URIs: file:/srv/mirror/debian-security" \
  "$tmp/out2/sources.list.d/debian.sources"

# Deriving again replaces what an earlier machine state gave.
rm "$m/parts/debian.sources"
check "again after a part went away" derive "$m" "$out"
check "the part that went away is gone" test ! -e "$out/sources.list.d/debian.sources"

# A machine with nothing configured.
e=$tmp/empty
mkdir -p "$e/parts"
echo "# nothing" >"$e/sources.list"
derive "$e" "$tmp/out3" 2>"$tmp/err"
code=$?
check "no entries: refused" test "$code" -ne 0
check "no entries: says what to do" grep -q "configure apt's sources first" "$tmp/err"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
