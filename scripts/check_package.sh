#!/usr/bin/env bash
# Installs a gliffo .deb as a user would (apt-get install ./gliffo_*.deb, which brings in what it
# depends on), checks the installed program from its installed paths, then removes it again.
# Needs root, desktop-file-validate and update-desktop-database (desktop-file-utils),
# appstreamcli (appstream), xmllint (libxml2-utils) and the shared MIME database (shared-mime-info).
# Usage: scripts/check_package.sh build-rel/gliffo_2.0_amd64.deb
set -euo pipefail
deb=$(realpath "$1")
export DEBIAN_FRONTEND=noninteractive

# A package of the same version left by an earlier run would make apt keep the old files.
if dpkg-query -W -f='${Status}' gliffo 2>/dev/null | grep -q 'install ok installed'; then
  apt-get remove -y -q gliffo
fi
apt-get install -y -q "$deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # nothing of the build tree beside us

for f in /usr/bin/gliffo /usr/bin/gliffo-tool /usr/share/gliffo/Gliffo.hlp /usr/share/man/man1/gliffo-tool.1 \
         /usr/share/applications/gliffo.desktop /usr/share/mime/packages/gliffo.xml; do
  [ -f "$f" ] || { echo "missing: $f"; exit 1; }
done
for size in 16 24 32 48 256; do
  [ -f "/usr/share/icons/hicolor/${size}x${size}/apps/gliffo.png" ] || { echo "missing: ${size}x${size} icon"; exit 1; }
done
desktop-file-validate /usr/share/applications/gliffo.desktop
grep -qx 'Exec=gliffo %f' /usr/share/applications/gliffo.desktop || { echo "the desktop entry passes no file"; exit 1; }
# The collection files' type: a valid shared-mime-info file, taken into the database by the MIME
# package's trigger, and the desktop entry offered for it by the desktop database's.
xmllint --noout /usr/share/mime/packages/gliffo.xml
grep -q '<glob pattern="\*.gbc"/>' /usr/share/mime/packages/gliffo.xml || { echo "no *.gbc glob in the MIME type"; exit 1; }
[ -f /usr/share/mime/image/x-gliffo-collection.xml ] || { echo "the MIME database did not take the type in"; exit 1; }
grep -q '^image/x-gliffo-collection=.*gliffo.desktop' /usr/share/applications/mimeinfo.cache ||
  { echo "the desktop database does not offer gliffo for *.gbc"; exit 1; }
metainfo=$(dpkg -L gliffo | grep '^/usr/share/metainfo/.*\.metainfo\.xml$')
[ -n "$metainfo" ] || { echo "missing: AppStream metainfo"; exit 1; }
appstreamcli validate --no-net $metainfo

/usr/bin/gliffo-tool --help >/dev/null
/usr/bin/gliffo-tool --version

# A folder with one 16 x 16 glyph (24-bit, all one colour) and one file of another size.
python3 - <<'PY'
import os, struct
def bmp(path, w, h, rgb):
    row = bytes(rgb[::-1]) * w
    row += b"\0" * (-len(row) % 4)
    pixels = row * h
    head = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(head + info + pixels)
os.makedirs("icons")
bmp("icons/a.bmp", 16, 16, (255, 0, 0))
bmp("icons/b.bmp", 20, 16, (0, 0, 255))
PY
/usr/bin/gliffo-tool gather icons all.gbc --size 16
/usr/bin/gliffo-tool list all.gbc | grep -qx 'glyphs: 1'
# libspng, FreeType and fontconfig are opened when first needed, so no binary links them and
# the package must name them itself; a PNG round trip opens libspng from where it is installed.
depends=$(dpkg-query -W -f='${Depends}' gliffo)
for lib in libspng0 libfreetype6 libfontconfig1; do
  grep -q "$lib" <<<"$depends" || { echo "the package does not depend on $lib"; exit 1; }
done
/usr/bin/gliffo-tool copy icons/a.bmp a.png
/usr/bin/gliffo-tool list a.png | grep -qx 'glyphs: 1'

# The program has no test switch: it counts as started when, after a few seconds on the
# offscreen platform, it is still running its event loop with the window shown; once bare, once
# on a collection file as a file manager starts it.
for args in "" all.gbc; do
  status=0
  HOME="$work" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/gliffo $args || status=$?
  if [ "$status" -ne 124 ]; then
    echo "gliffo $args ended with status $status before its first paint"
    exit 1
  fi
done
# An installed program keeps its settings in the user's folder, root's too.
[ ! -e /usr/bin/gliffo.ini ] || { echo "gliffo wrote its settings into /usr/bin"; exit 1; }

apt-get remove -y -q gliffo
[ ! -e /usr/bin/gliffo ] && [ ! -e /usr/bin/gliffo-tool ] || { echo "gliffo left files behind"; exit 1; }
echo "package checked: $(basename "$deb")"
