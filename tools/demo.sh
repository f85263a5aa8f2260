#!/usr/bin/env bash
# Tries the tool against the hopper emulator, no hopper needed:
#   tools/demo.sh <folder with the built programs> [hopper-emulator options, e.g. --no-ack]
# The emulator runs on a pseudo-terminal; the tool gets a settings folder of its own whose
# port COM1 points at it, so the user's own settings are left alone. The emulated hopper is
# switched on a moment after the tool has opened its port; its traffic log goes to this console.
set -euo pipefail

bindir=${1:?usage: demo.sh <folder with hopper-setting-tool and hopper-emulator> [emulator options]}
shift
for program in hopper-setting-tool hopper-emulator; do
  if [ ! -x "$bindir/$program" ]; then
    echo "demo: $bindir/$program is missing; build first (./dev build)" >&2
    exit 1
  fi
done
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "demo: the tool needs a graphical desktop (no DISPLAY or WAYLAND_DISPLAY); try: xvfb-run ./dev demo" >&2
  exit 1
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/hopper-demo.XXXXXX")
emulator_pid=""
cleanup() {
  if [ -n "$emulator_pid" ] && kill -0 "$emulator_pid" 2>/dev/null; then
    kill -TERM "$emulator_pid" 2>/dev/null || true
    wait "$emulator_pid" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

line="$tmp/hopper-line"
settings="$tmp/config/Hopper kit"
mkdir -p "$settings"
printf '[Ports]\nCOM1=%s\n\n[Setting]\nCOMPORT=1\n' "$line" >"$settings/Hopper kit.ini"

# stdin is not the emulator's: the tool is what the user works with. SIGUSR1 to the printed
# process id switches the hopper on again.
"$bindir/hopper-emulator" --link "$line" --power-on-when-opened 1000 "$@" </dev/null &
emulator_pid=$!

for _ in $(seq 100); do
  [ -L "$line" ] && break
  if ! kill -0 "$emulator_pid" 2>/dev/null; then
    emulator_pid=""
    echo "demo: the hopper emulator did not start" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -L "$line" ]; then
  echo "demo: the hopper emulator made no line at $line" >&2
  exit 1
fi
echo "demo: hopper emulator is process $emulator_pid (kill -USR1 $emulator_pid switches the hopper on again)"

status=0
XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" "$bindir/hopper-setting-tool" || status=$?
exit "$status"
