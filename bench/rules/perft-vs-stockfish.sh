#!/usr/bin/env bash
# Times perft 6 from the initial position: the companion's whole process against Stockfish's
# "go perft 6", timed after its start-up in the same run. Stockfish is for this comparison
# only; nothing in the program uses it.
#   bench/rules/perft-vs-stockfish.sh [KVL [DEPTH]]   KVL defaults to build/bin/korvalen-kvl
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/common.sh
ensure_packages stockfish

kvl=${1:-build/bin/korvalen-kvl}
depth=${2:-6}
stockfish=/usr/games/stockfish
fen="rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
now() { date +%s%N; }

start=$(now)
ours=$("$kvl" perft "$fen" "$depth")
ours_ns=$(($(now) - start))

coproc SF { "$stockfish"; }
echo "isready" >&"${SF[1]}"
while read -r line <&"${SF[0]}"; do [ "$line" = readyok ] && break; done
start=$(now)
echo "go perft $depth" >&"${SF[1]}"
while read -r line <&"${SF[0]}"; do
    case $line in "Nodes searched: "*) theirs=${line#Nodes searched: }; break ;; esac
done
theirs_ns=$(($(now) - start))
echo "quit" >&"${SF[1]}"
wait "$SF_PID" 2>/dev/null || true

[ "$ours" = "$theirs" ] || { echo "counts differ: $ours against $theirs" >&2; exit 1; }
awk -v n="$ours" -v a="$ours_ns" -v b="$theirs_ns" 'BEGIN {
    printf "perft %s: korvalen-kvl %.3f s, stockfish %.3f s, ratio %.2f\n", n, a / 1e9, b / 1e9, a / b }'
