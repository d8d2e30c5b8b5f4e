#!/usr/bin/env bash
# Builds the indexer and starts it on the sample configuration etc/qel.ini,
# in the home folder home/ of the checkout (or $QEL_HOME), creating the
# sample index there when it is missing. Ctrl+C stops it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_TESTS=OFF -DQEL_BENCH=OFF >/dev/null
cmake --build "$root/build/release"
export QEL_HOME="${QEL_HOME:-$root/home}"
mkdir -p "$QEL_HOME"
[ -f "$QEL_HOME/qel.ini" ] || cp "$root/etc/qel.ini" "$QEL_HOME/qel.ini"
[ -d "$QEL_HOME/index/qelwebs" ] || "$root/build/release/bin/qelidx" create qelwebs
echo "QEL_HOME=$QEL_HOME; feed it with: $root/build/release/bin/qelcollect --port 7311 --ack new 1 changed 2"
exec "$root/build/release/bin/qelindexer" "$@"
