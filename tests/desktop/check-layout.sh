#!/usr/bin/env bash
# check-layout.sh BUILD_DIR APP_ID SIZE...: installs the data and licence components into a
# temporary root with the prefix /usr and checks what a desktop expects to find there, and that
# the pieces name each other consistently.
set -euo pipefail
build=$1 id=$2
shift 2
sizes=("$@")

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
for component in data licence-text; do
    DESTDIR=$root cmake --install "$build" --prefix /usr --component $component >/dev/null
done
share=$root/usr/share

status=0
fail() { echo "FAIL: $*"; status=1; }

expected=(
    korvalen/help/index.html
    applications/$id.desktop
    metainfo/$id.metainfo.xml
    mime/packages/korvalen.xml
    icons/hicolor/scalable/apps/$id.svg
    doc/korvalen/copyright
    doc/korvalen/LICENSE
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

# The licence installed is the GPL, version 3, as in the sources.
cmp -s "$share/doc/korvalen/LICENSE" "$(dirname "$0")/../../LICENSE" || fail "installed LICENSE differs"
grep -q '^ *Version 3, 29 June 2007$' "$share/doc/korvalen/LICENSE" || fail "LICENSE is not the GPL 3"

# The desktop entry starts the installed program with the file chosen in the file manager
# and names an icon that the installation provides.
desktop=$share/applications/$id.desktop
value() { sed -n "s/^$1=//p" "$desktop" | head -n1; }
[ "$(value Exec)" = "korvalen %f" ] || fail "Exec is '$(value Exec)', expected 'korvalen %f'"
icon=$(value Icon)
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon is not installed"
mime_type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$share/mime/packages/korvalen.xml")
[ "$mime_type" = application/x-korvalen-game ] || fail "the MIME file defines '$mime_type'"

# Every type it claims is either defined here or one the system's shared-mime-info knows (PGN
# is a standard type there, under an alias); a type defined here must not redefine a system one.
system_types=$( { cat /usr/share/mime/types; cut -d' ' -f1 /usr/share/mime/aliases; } 2>/dev/null || true)
for type in $(value MimeType | tr ';' ' '); do
    [ "$type" = "$mime_type" ] || grep -qx -- "$type" <<<"$system_types" \
        || fail "MimeType $type is neither defined by korvalen.xml nor known to the system"
done
grep -qx -- "$mime_type" <<<"$system_types" && fail "korvalen.xml redefines the system's $mime_type"

# The metainfo launches this desktop entry.
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" \
    || fail "metainfo does not launch $id.desktop"

# The help page's credits name the licence the metainfo gives.
licence=$(sed -n 's:.*<project_license>\(.*\)</project_license>.*:\1:p' "$share/metainfo/$id.metainfo.xml")
[ -n "$licence" ] && grep -qF -- "$licence" "$share/korvalen/help/index.html" \
    || fail "the help page does not name the licence '$licence'"

# shared-mime-info accepts the type without a warning, maps *.kvl to it and names it in
# Russian as in English.
XDG_DATA_DIRS=$share:/usr/share update-mime-database "$share/mime" >"$root/mime.log" 2>&1
[ -s "$root/mime.log" ] && { cat "$root/mime.log"; fail "update-mime-database complains"; }
grep -qx "50:$mime_type:\*\.kvl" "$share/mime/globs2" || fail "*.kvl is not mapped to $mime_type"
for lang in '' ' xml:lang="ru"'; do
    grep -q "<comment$lang>..*</comment>" "$share/mime/$mime_type.xml" \
        || fail "$mime_type has no comment${lang:+ in Russian}"
done

# AppStream's view of the whole tree: the metainfo together with the desktop entry it launches.
appstreamcli validate-tree --pedantic --strict --no-net "$root" >"$root/validate.log" 2>&1 \
    || { cat "$root/validate.log"; fail "appstreamcli validate-tree"; }

[ $status -eq 0 ] && echo "layout: ${#expected[@]} files under share/ and both manual pages in place"
exit $status
