#!/usr/bin/env bash
# Builds the Debian package in a built tree and checks what it holds: the
# program, the desktop entry, the icons, the metainfo, the copyright file,
# the changelog and the manual pages, a Depends line that names the Qt
# Widgets library and a Recommends line with the Liberation fonts; then
# lintian, which must report no error and no warning.
# Usage: check-deb.sh BUILD_DIR
set -euo pipefail

build="$(cd "$1" && pwd)"
app_id=org.example.ravo

cd "$build"
rm -f ravo_*.deb
cpack -G DEB --config CPackConfig.cmake >/dev/null
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

# Errors and warnings fail; informational tags are shown, not counted.
if ! lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb"; then
  fail "lintian reports errors or warnings for $deb"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed for $deb" >&2
  exit 1
fi
echo "$deb: contents, Depends and Recommends as expected, lintian clean"
