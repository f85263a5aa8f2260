#!/usr/bin/env bash
# Writes a private apt source configuration for the Windows kit's source packages, derived from
# the archives this machine is configured to use: every "deb" entry of its sources list and of its
# sources.list.d (one-line .list files and deb822 .sources files alike) becomes the same entry for
# "deb-src", with its options (signed-by, mirror, architectures) as they are. A machine that
# reaches the archive through its own mirror or proxy builds the kit the same way.
#   cmake/windows/kit-apt-sources.sh OUTDIR [apt-config options, e.g. -o Dir::Etc::SourceList=FILE]
# Writes OUTDIR/sources.list and OUTDIR/sources.list.d/*.sources; exits 1 when no entry was found.
set -euo pipefail
out=${1:?usage: kit-apt-sources.sh OUTDIR [apt-config options]}
shift

# Where apt itself reads its sources on this machine.
eval "$(apt-config "$@" shell SOURCE_LIST Dir::Etc::SourceList/f SOURCE_PARTS Dir::Etc::SourceParts/d)"
SOURCE_LIST=${SOURCE_LIST:-/etc/apt/sources.list}
SOURCE_PARTS=${SOURCE_PARTS:-/etc/apt/sources.list.d/}

# One-line format: "deb [options] uri suite components"; comments and deb-src lines pass over.
one_line() {
  sed -nE 's/^[[:space:]]*deb([[:space:]])/deb-src\1/p' "$1"
}

# deb822 format: stanzas separated by blank lines; a stanza whose Types holds "deb" is kept with
# Types: deb-src, the others (deb-src only, or disabled with Enabled: no) are left out.
deb822() {
  awk '
    function flush() {
      if (n > 0 && binary && !disabled) {
        for (i = 1; i <= n; i++) print lines[i]
        print ""
      }
      n = 0; binary = 0; disabled = 0
    }
    /^[[:space:]]*$/ { flush(); next }
    /^#/ { next }
    {
      line = $0
      if (tolower(line) ~ /^types:/) {
        split(substr(line, 7), types, /[[:space:]]+/)
        for (t in types) if (types[t] == "deb") binary = 1
        line = "Types: deb-src"
      } else if (tolower(line) ~ /^enabled:[[:space:]]*no[[:space:]]*$/) {
        disabled = 1
      }
      lines[++n] = line
    }
    END { flush() }
  ' "$1"
}

mkdir -p "$out/sources.list.d"
rm -f "$out/sources.list.d/"*.sources
: >"$out/sources.list"
[ ! -f "$SOURCE_LIST" ] || one_line "$SOURCE_LIST" >>"$out/sources.list"
shopt -s nullglob
for f in "$SOURCE_PARTS"*.list; do one_line "$f" >>"$out/sources.list"; done
for f in "$SOURCE_PARTS"*.sources; do
  text=$(deb822 "$f")
  [ -z "$text" ] || printf '%s\n' "$text" >"$out/sources.list.d/$(basename "$f")"
done
# The same entry named twice (a machine that lists one archive in two files) is kept once.
awk '!seen[$0]++' "$out/sources.list" >"$out/sources.list.tmp" && mv "$out/sources.list.tmp" "$out/sources.list"

parts=("$out/sources.list.d/"*.sources)
if [ ! -s "$out/sources.list" ] && [ ${#parts[@]} -eq 0 ]; then
  echo "kit-apt-sources: no \"deb\" entry in $SOURCE_LIST or $SOURCE_PARTS: configure apt's sources first" >&2
  exit 1
fi
