#!/usr/bin/env bash
# Builds the Debian package and checks what it holds: the program, the
# desktop entry, the icons, the metainfo, the copyright file, the changelog
# and the manual pages, a Depends line that names the Qt Widgets library, a
# Recommends line with the Liberation fonts and a Suggests line with Qt's
# Wayland platform; then lintian, which must report no error and no warning,
# and hardening-check on the program.
# The program is built as Debian builds its packages, with the compiler and
# linker flags of dpkg-buildflags (stack protector, fortified calls, read-only
# relocations), in BUILD_DIR/deb; the package lands in BUILD_DIR.
# Usage: check-deb.sh BUILD_DIR
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
mkdir -p "$1"
build="$(cd "$1" && pwd)"
package_build="$build/deb"
app_id=org.example.ravo

"$root/scripts/deps"
# dpkg-buildflags maps the folder it runs in out of the debugging paths.
cd "$root"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$root" -B "$package_build" -G Ninja -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$package_build" --target ravo >/dev/null

cd "$build"
rm -f ravo_*.deb
(cd "$package_build" && rm -f ravo_*.deb && cpack -G DEB --config CPackConfig.cmake >/dev/null)
mv "$package_build"/ravo_*.deb .
shopt -s nullglob
debs=(ravo_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "FAIL: expected one ravo_<version>_<arch>.deb in $build, found ${#debs[@]}" >&2
  exit 1
fi
deb="${debs[0]}"
version="$(dpkg-deb -f "$deb" Version)"
arch="$(dpkg-deb -f "$deb" Architecture)"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

[ "$deb" = "ravo_${version}_${arch}.deb" ] || fail "file name $deb is not ravo_${version}_${arch}.deb"
[ "$(dpkg-deb -f "$deb" Package)" = ravo ] || fail "package name is not ravo"

contents="$(dpkg-deb -c "$deb" | awk '{print $NF}')"
expected=(
  ./usr/bin/ravo
  "./usr/share/applications/$app_id.desktop"
  "./usr/share/metainfo/$app_id.metainfo.xml"
  ./usr/share/icons/hicolor/16x16/apps/ravo.png
  ./usr/share/icons/hicolor/32x32/apps/ravo.png
  ./usr/share/icons/hicolor/48x48/apps/ravo.png
  ./usr/share/icons/hicolor/64x64/apps/ravo.png
  ./usr/share/icons/hicolor/128x128/apps/ravo.png
  ./usr/share/icons/hicolor/256x256/apps/ravo.png
  ./usr/share/icons/hicolor/scalable/apps/ravo.svg
  ./usr/share/doc/ravo/copyright
  ./usr/share/doc/ravo/changelog.gz
  ./usr/share/man/man1/ravo.1.gz
  ./usr/share/man/cs/man1/ravo.1.gz
)
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "$deb lacks $path"
done

depends="$(dpkg-deb -f "$deb" Depends)"
grep -qE '(^|[ ,])libqt6widgets6([ ,(]|$)' <<<"$depends" ||
  fail "Depends does not list libqt6widgets6: '$depends'"
recommends="$(dpkg-deb -f "$deb" Recommends)"
grep -qE '(^|[ ,])fonts-liberation([ ,(]|$)' <<<"$recommends" ||
  fail "Recommends does not list fonts-liberation: '$recommends'"
grep -qE '(^|[ ,])fonts-liberation([ ,(]|$)' <<<"$depends" &&
  fail "fonts-liberation is a Depends, not only a Recommends"

suggests="$(dpkg-deb -f "$deb" Suggests)"
grep -qE '(^|[ ,])qt6-wayland([ ,(]|$)' <<<"$suggests" ||
  fail "Suggests does not list qt6-wayland: '$suggests'"

# The installed program carries Debian's hardening: position independent,
# stack protector, fortified calls, read-only relocations bound at start.
# Control-flow marks are not asked for: Debian 12's C start files lack them,
# so no program linked there has them (/usr/bin/ls neither).
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
if ! hardening-check --nocfprotection "$unpacked/usr/bin/ravo"; then
  fail "hardening-check finds /usr/bin/ravo below Debian's hardening"
fi

# Errors and warnings fail; informational tags are shown, not counted.
if ! lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb"; then
  fail "lintian reports errors or warnings for $deb"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed for $deb" >&2
  exit 1
fi
echo "$deb: contents, Depends, Recommends and Suggests as expected, lintian clean, program hardened"
