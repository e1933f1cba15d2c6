#!/usr/bin/env bash
# check-package.sh BUILD_DIR VERSION APP_ID KORVALEN KORVALEN_KVL: builds the Debian package into
# a temporary folder and checks its contents and its dependencies. Skipped (77) while the two
# programs are not built.
set -euo pipefail
build=$1 version=$2 id=$3 game=$4 tool=$5

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
    ./usr/share/icons/hicolor/16x16/apps/$id.png
    ./usr/share/icons/hicolor/256x256/apps/$id.png
)
for file in "${expected[@]}"; do
    grep -qx -- "$file" <<<"$contents" || fail "package lacks $file"
done
grep -Eqx -- './usr/share/man/man6/korvalen\.6(\.gz)?' <<<"$contents" || fail "package lacks korvalen.6"
grep -Eqx -- './usr/share/man/man1/korvalen-kvl\.1(\.gz)?' <<<"$contents" || fail "package lacks korvalen-kvl.1"

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
grep -q 'qt6-translations-l10n' <<<"$(field Depends) $(field Recommends)" \
    || fail "qt6-translations-l10n is neither a dependency nor recommended"

[ $status -eq 0 ] && echo "package: $(basename "$deb"), Depends: $depends"
exit $status
