#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed program through its
# launcher in bin/, offscreen, with the installed emulator on a pseudo-terminal at COM1. The
# probe plugin opens the manual and the simulation window and reports what they show.
#   check_installed_layout.sh <build folder> <folder holding generic/ with the probe plugin>
set -euo pipefail
build=$1 plugins=$2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/hopper-installed.XXXXXX")
emulator_pid=""
cleanup() {
  [ -z "$emulator_pid" ] || { kill "$emulator_pid" 2>/dev/null || true; wait "$emulator_pid" 2>/dev/null || true; }
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$tmp/usr
cmake --install "$build" --prefix "$prefix" >/dev/null
program=$prefix/lib/hopper-setting-tool
for f in hopper-setting-tool Manual.rtf Ar1.bmp Ar2.bmp Ar3.bmp; do [ -f "$program/$f" ] || fail "$program/$f missing"; done
[ -L "$prefix/bin/hopper-setting-tool" ] || fail "no launcher in bin/"
[ -x "$prefix/bin/hopper-emulator" ] || fail "no hopper-emulator in bin/"
[ -x "$prefix/bin/hopper-cli" ] || fail "no hopper-cli in bin/"
for size in 16 32 48 64 128 256; do
  [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/hopper-setting-tool.png" ] || fail "no ${size}px icon"
done
desktop-file-validate "$prefix"/share/applications/*.desktop
# The programs load the system's libraries only and carry no library search path of their own:
# an empty entry in one is the folder the program is started from, where anyone may have left a
# library of the same name.
for p in "$program/hopper-setting-tool" "$prefix/bin/hopper-cli" "$prefix/bin/hopper-emulator" \
  "$build/bin/hopper-setting-tool" "$build/bin/hopper-cli"; do
  ! readelf -d "$p" | grep -qE '\((RPATH|RUNPATH)\)' || fail "$p searches libraries in: $(readelf -d "$p" | grep -E 'R(UN)?PATH')"
done
[ -f "$prefix"/share/metainfo/*.metainfo.xml ] || fail "no AppStream metadata"
# Every program's man page, written from its --help: its name line and its options.
for p in hopper-setting-tool hopper-cli hopper-emulator; do
  page=$prefix/share/man/man1/$p.1.gz
  gzip -t "$page" 2>/dev/null || fail "no man page $page"
  gzip -dc "$page" | grep -qxF ".SH NAME" || fail "$page has no name line"
  gzip -dc "$page" | grep -qF -e "${p//-/\\-} \\- " || fail "$page names another program"
  gzip -dc "$page" | grep -qF -e '\-\-help' || fail "$page lists no options"
done

# A technician's fresh account: a settings folder of its own, COM1 on the emulator's line.
mkdir -p "$tmp/config/Hopper kit"
printf '[Ports]\nCOM1=%s\n\n[Setting]\nCOMPORT=1\n' "$tmp/line" >"$tmp/config/Hopper kit/Hopper kit.ini"
PATH=$prefix/bin:$PATH hopper-emulator --link "$tmp/line" </dev/null >/dev/null &
emulator_pid=$!
for _ in $(seq 600); do [ -L "$tmp/line" ] && break; kill -0 "$emulator_pid" || fail "emulator ended"; sleep 0.05; done
[ -L "$tmp/line" ] || fail "the emulator made no line"

run_installed() { # expected exit code; prints the probe's report
  local status=0
  touch "$tmp/stamp"
  XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$plugins \
    QT_QPA_GENERIC_PLUGINS=hopperprobe timeout 300 "$prefix/bin/hopper-setting-tool" >"$tmp/report" || status=$?
  cat "$tmp/report"
  [ "$status" -eq "$1" ] || fail "the installed program ended with $status, expected $1"
  # The program folder is read only to the program.
  [ -z "$(find "$program" -newer "$tmp/stamp")" ] || fail "the program wrote into $program"
}

run_installed 0
grep -q '^probe: manual: [1-9][0-9]* characters' "$tmp/report" || fail "the manual window shows no text"
grep -q '^probe: picture: ' "$tmp/report" || fail "the simulation window showed no picture"

# Without its manual the installed program says which file it looked for.
rm "$program/Manual.rtf"
run_installed 2
grep -qF "File Does Not Exist | $program/Manual.rtf" "$tmp/report" || fail "the message does not name the manual's path"
echo "installed layout: OK"
