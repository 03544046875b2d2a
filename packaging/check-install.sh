#!/usr/bin/env bash
# Installs a built tree into a scratch folder as it would land under /usr and
# checks the desktop integration: the files are where desktops look for them,
# the icon has each size it claims, and the desktop entry and the AppStream
# metainfo pass their validators.
# Usage: check-install.sh BUILD_DIR SCRATCH_DIR APP_ID [--with-binary]
set -euo pipefail

build="$1"
dest="$2"
app_id="$3"
with_binary="${4:-}"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$dest"
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root="$dest/usr"

desktop="$root/share/applications/$app_id.desktop"
metainfo="$root/share/metainfo/$app_id.metainfo.xml"
[ -f "$desktop" ] || fail "no desktop entry at ${desktop#"$dest"}"
[ -f "$metainfo" ] || fail "no metainfo at ${metainfo#"$dest"}"

png_size() { # width x height from the PNG header
  local w h
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$1")
  echo "${w}x${h}"
}
for size in 16 32 48; do
  icon="$root/share/icons/hicolor/${size}x${size}/apps/ravo.png"
  if [ ! -f "$icon" ]; then
    fail "no ${size}px icon"
  elif [ "$(png_size "$icon")" != "${size}x${size}" ]; then
    fail "${size}px icon is $(png_size "$icon")"
  fi
done

if [ "$with_binary" = "--with-binary" ]; then
  [ -x "$root/bin/ravo" ] || fail "no executable /usr/bin/ravo"
fi

if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
  grep -qx 'Icon=ravo' "$desktop" || fail "desktop entry does not name the installed icon"
  grep -qx 'Exec=ravo' "$desktop" || fail "desktop entry does not start the installed program"
fi
if [ -f "$metainfo" ]; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch the installed desktop entry"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed desktop files are valid"
