#!/usr/bin/env bash
# Times the companion's whole process on "show" over long seeded games (300 half-moves each,
# with castling, en passant and promotions), as a user waits for it: the best of five runs,
# per half-move. Several companions may be given, to compare builds on the same games.
#   bench/rules/show-long-games.sh [KVL...]   KVL defaults to build/bin/korvalen-kvl
set -euo pipefail
cd "$(dirname "$0")/../.."
games=$(mktemp -d)
trap 'rm -rf "$games"' EXIT
build/bench/rules/bench_rules --write-long-games "$games" 300
moves=$(cat "$games"/*.kvl | wc -l)
[ $# -gt 0 ] || set -- build/bin/korvalen-kvl
for kvl in "$@"; do
    best=
    for _ in 1 2 3 4 5; do
        start=$(date +%s%N)
        "$kvl" show "$games"/*.kvl >/dev/null
        ns=$(($(date +%s%N) - start))
        [ -z "$best" ] || [ "$ns" -lt "$best" ] && best=$ns
    done
    awk -v k="$kvl" -v t="$best" -v m="$moves" \
        'BEGIN { printf "%s: %d half-moves in %.1f ms, %.3f us each\n", k, m, t / 1e6, t / 1e3 / m }'
done
