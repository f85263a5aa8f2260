#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (Core, Gui, Widgets, Network, Sql with SQLite, Test) from Debian's
# qtbase source package with the MinGW-w64 cross compilers, once, into a cache folder outside any
# work tree. Debian's own Qt of the same version provides the host tools (moc, rcc, uic).
#   cmake/windows/build-qt-kit.sh [prefix]      default: ~/.cache/hopper-kit/qt-6.4.2-mingw
# The packages it needs are installed by ./dev windows before it runs.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
QT_VERSION=6.4.2
CACHE=${HOPPER_KIT_CACHE:-$HOME/.cache/hopper-kit}
PREFIX=${1:-$CACHE/qt-$QT_VERSION-mingw}
SRC=$CACHE/src
WORK=$CACHE/build-qtbase

if [ -f "$PREFIX/.complete" ]; then
  echo "Qt kit present: $PREFIX"
  exit 0
fi
mkdir -p "$CACHE" "$SRC"
start=$(date +%s)

# The sources come through a private apt configuration, so the machine's own lists stay as they are.
# Its entries are those of the archives the machine already uses (its mirror, its proxy settings),
# as source entries; a change of the machine's sources is picked up at the next fetch.
APT=$CACHE/apt
APT_OPTS=(-o "Dir::Etc::SourceList=$APT/sources.list" -o "Dir::Etc::SourceParts=$APT/sources.list.d"
          -o "Dir::State::Lists=$APT/lists" -o "Dir::Cache=$APT/cache" -o "APT::Sandbox::User=root")
apt_source() { # package=version
  local derived=$APT/derived
  rm -rf "$derived"
  "$HERE/kit-apt-sources.sh" "$derived"
  if ! cmp -s "$derived/sources.list" "$APT/sources.list" ||
     ! diff -r "$derived/sources.list.d" "$APT/sources.list.d" >/dev/null 2>&1; then
    rm -f "$APT/updated"
  fi
  if [ ! -f "$APT/updated" ]; then
    mkdir -p "$APT/lists/partial" "$APT/cache/archives/partial"
    rm -rf "$APT/sources.list.d"
    cp -r "$derived/sources.list.d" "$APT/sources.list.d"
    cp "$derived/sources.list" "$APT/sources.list"
    apt-get "${APT_OPTS[@]}" update -q
    touch "$APT/updated"
  fi
  (cd "$SRC" && apt-get "${APT_OPTS[@]}" source -q "$1")
}
source_dir() { ls -d "$SRC"/"$1"-[0-9]*/ 2>/dev/null | head -n1 | sed 's:/$::'; }

# The same Debian revision as the host tools, which must match the kit's version.
[ -n "$(source_dir qt6-base)" ] || apt_source "qt6-base=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)"
qtbase=$(source_dir qt6-base)
echo "qtbase sources: $qtbase"

# Debian's cleaned qtbase tarball leaves out the bundled SQLite; its place is taken by the
# amalgamation made from Debian's own sqlite3 sources, so the SQLite driver is built in as usual.
if [ ! -f "$qtbase/src/3rdparty/sqlite/sqlite3.c" ]; then
  [ -n "$(source_dir sqlite3)" ] || apt_source sqlite3
  sqlite=$(source_dir sqlite3)
  (cd "$sqlite" && { [ -f Makefile ] || ./configure -q --disable-tcl; } && make -s sqlite3.c)
  mkdir -p "$qtbase/src/3rdparty/sqlite"
  cp "$sqlite/sqlite3.c" "$sqlite/sqlite3.h" "$qtbase/src/3rdparty/sqlite/"
fi

# Without DirectWrite 3, PrintSupport 6.4.2 does not link for MinGW (it asks Gui for a DirectWrite
# font engine call Gui does not export). The programs print nothing: the module is left out.
sed -i 's|^   add_subdirectory(printsupport)$|   # add_subdirectory(printsupport)  # left out of the Windows kit|' "$qtbase/src/CMakeLists.txt"

# The kit keeps its own copy of the toolchain file: Qt's generated toolchain loads it from there,
# wherever the work tree that built the kit has gone since.
mkdir -p "$PREFIX"
cmp -s "$HERE/mingw-toolchain.cmake" "$PREFIX/mingw-toolchain.cmake" || cp "$HERE/mingw-toolchain.cmake" "$PREFIX/mingw-toolchain.cmake"

# Why the switches: Debian's cleaned tarball lacks the tablet 3rdparty code; without direct2d,
# qwindows.dll links only if directwrite3 is off as well; Debian keeps Qt6HostInfo under the
# multiarch cmake folder. SQLite is Qt's bundled copy; the other SQL drivers are not wanted.
# An interrupted build goes on where it stopped; a configuration that never finished starts over.
if [ ! -f "$WORK/.configured" ]; then
  rm -rf "$WORK"; mkdir -p "$WORK"; cd "$WORK"
  "$qtbase/configure" -prefix "$PREFIX" -release -shared -nomake tests -nomake examples \
    -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- -qt-host-path /usr \
    -no-opengl -no-dbus -no-feature-direct2d -no-feature-directwrite3 -no-feature-tabletevent \
    -no-feature-vulkan -no-pkg-config -qt-zlib -qt-pcre -qt-libpng -no-libjpeg -qt-freetype \
    -qt-harfbuzz -no-openssl \
    -sql-sqlite -qt-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql -no-sql-ibase -no-sql-oci -no-sql-db2 \
    -feature-testlib \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PREFIX/mingw-toolchain.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  touch "$WORK/.configured"
fi
cd "$WORK"
cmake --build . --parallel "${HOPPER_KIT_JOBS:-$(( $(nproc) + 2 ))}"
cmake --install .
touch "$PREFIX/.complete"
echo "Qt kit built in $(( $(date +%s) - start )) s: $PREFIX"
