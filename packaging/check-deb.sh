#!/usr/bin/env bash
# Builds the Debian package in a built tree and checks what it holds: the
# program, the desktop entry, the icons, the metainfo, and a Depends line
# that names the Qt Widgets library.
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
)
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "$deb lacks $path"
done

depends="$(dpkg-deb -f "$deb" Depends)"
grep -qE '(^|[ ,])libqt6widgets6([ ,(]|$)' <<<"$depends" ||
  fail "Depends does not list libqt6widgets6: '$depends'"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed for $deb" >&2
  exit 1
fi
echo "$deb: contents and Depends as expected"
