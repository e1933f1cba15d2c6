#!/usr/bin/env bash
# check-wayland.sh KORVALEN APP_ID DESKTOP_DIR: runs the program on a headless Weston of its own
# and reads the Wayland protocol log: the window's app id must be the desktop entry's name (the
# name the entry's file and the metainfo's <launchable> carry), and its minimum and maximum sizes
# must be equal, since the window is fixed. Skipped (77) without weston, without Qt's Wayland
# platform plugin or while the program is not built. Weston and the program end however the
# test does.
set -euo pipefail
game=$1 id=$2 desktop=$3

if ! command -v weston >/dev/null; then
    echo "skipped: weston is not installed (scripts/test installs it)"
    exit 77
fi
if [ ! -x "$game" ]; then
    echo "skipped: $game is not built"
    exit 77
fi

status=0
fail() { echo "FAIL: $*"; status=1; }

# The names the desktop matches the window with.
[ -f "$desktop/$id.desktop" ] || fail "no desktop entry $id.desktop"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$desktop/$id.metainfo.xml" \
    || fail "the metainfo does not launch $id.desktop"

work=$(mktemp -d)
pids=()
# shellcheck disable=SC2317 # run by the trap
finish() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap finish EXIT

# A private runtime folder: the compositor's socket is this test's alone.
mkdir -m 700 "$work/runtime" "$work/home"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home
unset DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET
socket=korvalen-test
shell=()
[ -n "$(find /usr/lib*/ -path '*/weston/kiosk-shell.so' -print -quit 2>/dev/null)" ] \
    && shell=(--shell=kiosk-shell.so)
timeout 60 weston --backend=headless-backend.so --socket=$socket --idle-time=0 --no-config \
    "${shell[@]}" >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    sleep 0.1
done
if [ ! -S "$XDG_RUNTIME_DIR/$socket" ]; then
    cat "$work/weston.log"
    echo "FAIL: weston did not start"
    exit 1
fi

# A copy of the program beside a settings file whose port opens no socket.
mkdir "$work/program"
cp "$game" "$work/program/korvalen"
printf '[Network]\nPort=0\n' >"$work/program/Korvalen.ini"
log=$work/client.log
WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 \
    timeout 30 "$work/program/korvalen" >"$log" 2>&1 &
program=$!
pids+=("$program")
for _ in $(seq 200); do
    grep -q 'set_app_id' "$log" && grep -q 'set_max_size' "$log" && grep -q 'xdg_surface@[0-9]*\.configure' "$log" && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done

if grep -q 'Could not load the Qt platform plugin "wayland"' "$log"; then
    echo "skipped: Qt's Wayland platform plugin is not installed (qt6-wayland)"
    exit 77
fi
requests=$(grep -o 'xdg_toplevel@[0-9]*\.set_[a-z_]*([^)]*)' "$log" || true)
if [ -z "$requests" ]; then
    tail -20 "$log"
    fail "the program made no xdg toplevel window"
fi
app_ids=$(sed -n 's/.*\.set_app_id("\([^"]*\)")/\1/p' <<<"$requests" | sort -u)
[ "$app_ids" = "$id" ] || fail "app id is '${app_ids//$'\n'/, }', not '$id'"
last_size() { sed -n "s/.*\.set_$1_size(\([0-9]*\), \([0-9]*\))/\1x\2/p" <<<"$requests" | tail -1; }
min=$(last_size min) max=$(last_size max)
if [ -z "$min" ] || [ "$min" = 0x0 ]; then
    fail "no minimum size: '$min'"
fi
[ "$min" = "$max" ] || fail "minimum size $min differs from maximum size $max"

[ $status -eq 0 ] && echo "wayland: app id $app_ids, fixed size $min"
exit $status
