#!/usr/bin/env bash
# Installs a built tree into a scratch folder as it would land under /usr and
# checks the desktop integration and the documents: the files are where
# desktops look for them, the icon has each size it claims and a scalable
# form, the desktop entry and the AppStream metainfo pass their validators
# (the metainfo pedantically), and the copyright file, the changelog and the
# manual pages are there, compressed and well-formed.
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
for size in 16 32 48 64 128 256; do
  icon="$root/share/icons/hicolor/${size}x${size}/apps/ravo.png"
  if [ ! -f "$icon" ]; then
    fail "no ${size}px icon"
  elif [ "$(png_size "$icon")" != "${size}x${size}" ]; then
    fail "${size}px icon is $(png_size "$icon")"
  fi
done

svg="$root/share/icons/hicolor/scalable/apps/ravo.svg"
if [ ! -f "$svg" ]; then
  fail "no scalable icon"
else
  python3 - "$svg" <<'PY' || fail "scalable icon is not a square SVG"
import sys
import xml.etree.ElementTree as tree
svg = tree.parse(sys.argv[1]).getroot()
left, top, width, height = (float(n) for n in svg.get("viewBox", "").split())
sys.exit(svg.tag != "{http://www.w3.org/2000/svg}svg" or width != height or width <= 0)
PY
fi

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")"
doc="$root/share/doc/ravo"
if [ ! -f "$doc/copyright" ]; then
  fail "no copyright file"
else
  head -n1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright file is not in the machine-readable format"
  grep -qx 'License: Expat' "$doc/copyright" || fail "copyright file does not name the MIT (Expat) licence"
  grep -q 'the RAVO authors' "$doc/copyright" || fail "copyright file does not name the RAVO authors"
fi
if [ ! -f "$doc/changelog.gz" ]; then
  fail "no changelog.gz"
elif ! gzip -t "$doc/changelog.gz"; then
  fail "changelog.gz is not gzip"
else
  changelog_version="$(zcat "$doc/changelog.gz" | dpkg-parsechangelog -l - -S Version)"
  [ "$changelog_version" = "$version" ] || fail "changelog's newest version is '$changelog_version', not $version"
fi

# A Czech word as ASCII output shows it: each letter without its accent.
without_accents() {
  python3 -c 'import sys, unicodedata; print("".join(c for c in unicodedata.normalize("NFD", sys.argv[1]) if not unicodedata.combining(c)))' "$1"
}

# Each manual page: compressed, free of formatter warnings both in UTF-8 and
# in the C locale (where man writes plain ASCII), and telling what a run does
# to files and where to report problems, its Czech words whole in UTF-8 and
# without their accents, never without their letters, in ASCII.
manual_page_check() { # PAGE WORD...
  local page="$1" locale warnings text
  shift
  if [ ! -f "$page" ]; then
    fail "no manual page ${page#"$dest"}"
    return
  fi
  gzip -t "$page" || { fail "${page#"$dest"} is not gzip"; return; }
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "${page#"$dest"} in UTF-8: $warnings"
  warnings="$(LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "${page#"$dest"} in the C locale: $warnings"
  for locale in C.UTF-8 C; do
    text="$(LC_ALL=$locale MANWIDTH=200 man -l "$page" 2>/dev/null | tr -s " \n" " ")"
    for word in "$@"; do
      [ "$locale" = C ] && word="$(without_accents "$word")"
      grep -qF -- "$word" <<<"$text" || fail "${page#"$dest"} in $locale does not show '$word'"
    done
  done
}
labels=("Načíst názvy souborů" "Jednoduše a rychle" "Provést nahrazení"
  "Zálohovat soubory před změnou?" "Pokračovat" "Zrušit" "Nezálohuji soubory.")
manual_page_check "$root/share/man/man1/ravo.1.gz" "CR LF" "FILE.TMP" "atomic rename" "symbolic link" \
  "regular files" "never overwrites" "first occurrence" "ravo@example.org" "${labels[@]}"
manual_page_check "$root/share/man/cs/man1/ravo.1.gz" "CR LF" "SOUBOR.TMP" "atomickým přejmenováním" \
  "Symbolický odkaz" "obyčejné soubory" "nikdy nic nepřepíše" "první výskyt" "ravo@example.org" "${labels[@]}"
# The English page spells its Czech letters with troff's escapes, so that it
# reads the same whatever encoding man takes it for.
if zcat "$root/share/man/man1/ravo.1.gz" 2>/dev/null | LC_ALL=C grep -qP '[^\x00-\x7f]'; then
  fail "the English manual page holds bytes that are not ASCII"
fi

if [ "$with_binary" = "--with-binary" ]; then
  [ -x "$root/bin/ravo" ] || fail "no executable /usr/bin/ravo"
fi

if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
  grep -qx 'Icon=ravo' "$desktop" || fail "desktop entry does not name the installed icon"
  grep -qx 'Exec=ravo' "$desktop" || fail "desktop entry does not start the installed program"
fi
if [ -f "$metainfo" ]; then
  # Pedantic notes are shown; only errors and warnings fail.
  appstreamcli validate --pedantic --no-net "$metainfo" || fail "appstreamcli validate"
  grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "metainfo does not name the MIT licence"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch the installed desktop entry"
  # A software centre's catalogue takes the program only with an icon of at
  # least 64 pixels; composing one from the installed tree shows it would.
  catalog="$dest.catalog"
  rm -rf "$catalog"
  if ! composed="$(appstreamcli compose --no-net --origin=ravo --result-root="$catalog" --prefix=/usr "$dest" 2>&1)" ||
     grep -q 'E:' <<<"$composed"; then
    fail "appstreamcli compose: $composed"
  fi
  zcat "$catalog/usr/share/swcatalog/xml/ravo.xml.gz" 2>/dev/null |
    grep -q '<icon type="cached" width="64" height="64">' ||
    fail "the composed catalogue has no 64 pixel icon for $app_id"
  rm -rf "$catalog"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed desktop files are valid"
