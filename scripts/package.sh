#!/usr/bin/env bash
# Builds the release with Debian's hardening flags and packs it as a .deb:
# build/package/package/nibbly_<version>_<arch>.deb. Lintian checks it when installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --package

dir=build/package
# Every time the build stamps (resources, the font, the archive) is the last commit's, so two
# builds of one commit give the same .deb (outside git: the top CMakeLists.txt's time).
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)}
export SOURCE_DATE_EPOCH
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
# CMake takes no CPPFLAGS, and these flags are given each time, not only at the first run.
# Debian keeps games in /usr/games; the data stay in ../share/nibbly from there.
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_BINDIR=games \
    -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/package/*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(echo "$dir"/package/*.deb)
echo "package: $deb"
if command -v lintian >/dev/null; then
    lintian --info --display-info "$deb"
fi
