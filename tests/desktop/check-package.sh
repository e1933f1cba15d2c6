#!/usr/bin/env bash
# check-package.sh BUILD_DIR VERSION APP_ID KORVALEN KORVALEN_KVL SIZE...: builds the Debian
# package into a temporary folder and checks its contents (an icon of every size) and its
# dependencies. Skipped (77) while the two programs are not built.
set -euo pipefail
build=$1 version=$2 id=$3 game=$4 tool=$5
shift 5
sizes=("$@")

for program in "$game" "$tool"; do
    if [ ! -x "$program" ]; then
        echo "skipped: $program is not built"
        exit 77
    fi
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    exit 1
fi
deb=$out/korvalen_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "no $deb:"; ls "$out"; exit 1; }

status=0
fail() { echo "FAIL: $*"; status=1; }

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
expected=(
    ./usr/bin/korvalen
    ./usr/bin/korvalen-kvl
    ./usr/share/korvalen/help/index.html
    ./usr/share/applications/$id.desktop
    ./usr/share/metainfo/$id.metainfo.xml
    ./usr/share/mime/packages/korvalen.xml
    ./usr/share/icons/hicolor/scalable/apps/$id.svg
    ./usr/share/doc/korvalen/copyright
)
for size in "${sizes[@]}"; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
    grep -qx -- "$file" <<<"$contents" || fail "package lacks $file"
done
grep -Eqx -- './usr/share/man/man6/korvalen\.6(\.gz)?' <<<"$contents" || fail "package lacks korvalen.6"
grep -Eqx -- './usr/share/man/man1/korvalen-kvl\.1(\.gz)?' <<<"$contents" || fail "package lacks korvalen-kvl.1"
# The manual pages' title lines name the version of the package.
for page in $(grep -Ex -- './usr/share/man/man[0-9]/[^/]+' <<<"$contents"); do
    dpkg-deb --fsys-tarfile "$deb" | tar -xO "$page" >"$out/page"
    title=$(zcat -f "$out/page" | sed -n 1p)
    [[ $title == *"\"Korvalen $version\""* ]] || fail "$page: title line '$title' lacks version $version"
done

# The full GPL text is Debian's own, under /usr/share/common-licenses: the package only points
# there.
grep -qx -- ./usr/share/doc/korvalen/LICENSE <<<"$contents" && fail "package ships a copy of the GPL"

# The copyright file is machine-readable, and every file, artwork included, is GPL 3 or later,
# with the licence's notice in full.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/korvalen/copyright >"$out/copyright"
/usr/bin/python3 - "$out/copyright" <<'PY' || fail "copyright is not a sound machine-readable copyright file"
import sys
from debian.copyright import Copyright
with open(sys.argv[1], encoding='utf-8') as file:
    copyright = Copyright(file, strict=True)
if not copyright.header.known_format():
    sys.exit(f"unknown format {copyright.header.format!r}")
notices = {p.license.synopsis: p.license.text for p in copyright.all_license_paragraphs()}
for name in ('ui/Main.cpp', 'resources/pieces/white-king.svg', 'resources/icons/korvalen.svg'):
    paragraph = copyright.find_files_paragraph(name)
    synopsis = paragraph.license.synopsis if paragraph else None
    if synopsis != 'GPL-3+' or not (paragraph.license.text or notices.get(synopsis)):
        sys.exit(f"{name}: licence {synopsis!r}, expected GPL-3+ with its notice")
    if not paragraph.copyright:
        sys.exit(f"{name}: no copyright holder")
if '/usr/share/common-licenses/GPL-3' not in notices.get('GPL-3+', ''):
    sys.exit("the GPL-3+ notice does not point at Debian's copy of the licence")
PY

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = korvalen ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"

# The Qt runtime the programs need, and every further Qt library they link, must be
# dependencies; Debian names them libqt6<module>6.
depends=$(field Depends)
needed=$(objdump -p "$game" "$tool" | sed -n 's/.*NEEDED *libQt6\([A-Za-z]*\)\.so\.6$/\1/p' | sort -u)
for module in Core Gui Widgets Network $needed; do
    package=libqt6$(tr '[:upper:]' '[:lower:]' <<<"$module")6
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
# The platform plugins are loaded, not linked: X11's and Wayland's must be named.
for plugins in qt6-qpa-plugins qt6-wayland; do
    grep -Eq "(^|, )$plugins( |,|$)" <<<"$depends" || fail "Depends lacks $plugins: $depends"
done
# The opponent's move is heard through libcanberra's PulseAudio driver, in the theme's sound.
for sound in libcanberra0 libcanberra-pulse sound-theme-freedesktop; do
    grep -Eq "(^|, )$sound( |,|$)" <<<"$depends" || fail "Depends lacks $sound: $depends"
done
grep -q 'qt6-translations-l10n' <<<"$(field Depends) $(field Recommends)" \
    || fail "qt6-translations-l10n is neither a dependency nor recommended"

[ $status -eq 0 ] && echo "package: $(basename "$deb"), Depends: $depends"
exit $status
