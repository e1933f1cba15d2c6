#!/usr/bin/env bash
# Times the companion's whole process on "show" over long seeded games (300 half-moves each,
# with castling, en passant and promotions), as a user waits for it: the best of five runs,
# per half-move, and the slowest run beside it for the spread. Several companions may be given,
# to compare builds on the same games; they take turns run by run, so a machine that is busy
# for a while slows them alike.
#   bench/rules/show-long-games.sh [KVL...]   KVL defaults to build/bin/korvalen-kvl
#   RUNS=N bench/rules/show-long-games.sh ... runs each N times instead of five
set -euo pipefail
cd "$(dirname "$0")/../.."
games=$(mktemp -d)
trap 'rm -rf "$games"' EXIT
build/bench/rules/bench_rules --write-long-games "$games" 300
moves=$(cat "$games"/*.kvl | wc -l)
[ $# -gt 0 ] || set -- build/bin/korvalen-kvl
kvls=("$@")
runs=${RUNS:-5}
best=()
worst=()
for ((run = 0; run < runs; ++run)); do
    for i in "${!kvls[@]}"; do
        start=$(date +%s%N)
        "${kvls[i]}" show "$games"/*.kvl >/dev/null
        ns=$(($(date +%s%N) - start))
        if [ -z "${best[i]:-}" ] || [ "$ns" -lt "${best[i]}" ]; then best[i]=$ns; fi
        if [ -z "${worst[i]:-}" ] || [ "$ns" -gt "${worst[i]}" ]; then worst[i]=$ns; fi
    done
done
for i in "${!kvls[@]}"; do
    awk -v k="${kvls[i]}" -v t="${best[i]}" -v w="${worst[i]}" -v m="$moves" -v r="$runs" \
        'BEGIN { printf "%s: %d half-moves in %.1f ms, %.3f us each (slowest of %d: %.1f ms)\n",
                 k, m, t / 1e6, t / 1e3 / m, r, w / 1e6 }'
done
