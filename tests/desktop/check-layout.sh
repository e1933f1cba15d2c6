#!/usr/bin/env bash
# check-layout.sh BUILD_DIR APP_ID SIZE...: installs the data component into a temporary root
# with the prefix /usr and checks what a desktop expects to find there, and that the pieces
# name each other consistently.
set -euo pipefail
build=$1 id=$2
shift 2
sizes=("$@")

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr --component data >/dev/null
share=$root/usr/share

status=0
fail() { echo "FAIL: $*"; status=1; }

expected=(
    korvalen/help/index.html
    applications/$id.desktop
    metainfo/$id.metainfo.xml
    mime/packages/korvalen.xml
    icons/hicolor/scalable/apps/$id.svg
)
for size in "${sizes[@]}"; do
    expected+=("icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
    [ -s "$share/$file" ] || fail "missing or empty: share/$file"
done

# Manual pages, compressed or not.
for page in man6/korvalen.6 man1/korvalen-kvl.1; do
    found=$(ls "$share/man/$page" "$share/man/$page.gz" 2>/dev/null | head -n1 || true)
    if [ -z "$found" ]; then
        fail "missing: share/man/$page"
    elif ! { case $found in *.gz) gzip -dc "$found" ;; *) cat "$found" ;; esac; } | grep -q '^\.TH '; then
        fail "$found is not a manual page"
    fi
done

# The help page is the one in the sources, complete and self-contained.
grep -q '</html>' "$share/korvalen/help/index.html" || fail "help page is cut short"
if grep -Eq '(src|href)="(https?:)?//' "$share/korvalen/help/index.html"; then
    fail "help page loads something from the network"
fi

# The desktop entry starts the installed program and names an icon that the installation
# provides. It claims no MIME type: the program reads no command line, so "open with" would
# start an empty board instead of the chosen game.
desktop=$share/applications/$id.desktop
value() { sed -n "s/^$1=//p" "$desktop" | head -n1; }
[ "$(value Exec)" = korvalen ] || fail "Exec is '$(value Exec)', expected 'korvalen'"
icon=$(value Icon)
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon is not installed"
mime_type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$share/mime/packages/korvalen.xml")
[ -z "$(value MimeType)" ] || fail "MimeType is claimed, but the program cannot open files it is given"

# The metainfo launches this desktop entry.
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" \
    || fail "metainfo does not launch $id.desktop"

# shared-mime-info accepts the type and maps *.kvl to it.
update-mime-database "$share/mime"
grep -qx "50:$mime_type:\*\.kvl" "$share/mime/globs2" || fail "*.kvl is not mapped to $mime_type"

# AppStream's view of the whole tree: the metainfo together with the desktop entry it launches.
appstreamcli validate-tree --no-net "$root" >"$root/validate.log" 2>&1 \
    || { cat "$root/validate.log"; fail "appstreamcli validate-tree"; }

[ $status -eq 0 ] && echo "layout: ${#expected[@]} files under share/ and both manual pages in place"
exit $status
