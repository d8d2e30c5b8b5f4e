#!/usr/bin/env bash
# Builds in release mode and runs every benchmark: one table of all figures
# beside their baselines, then the per-record costs. An argument sets the
# records per intake run (default 10 million).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
dir="$root/build/release"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_TESTS=OFF -DQEL_BENCH=ON >/dev/null
cmake --build "$dir"
"$dir/bin/qel_bench" "$@"
echo
"$dir/bin/qel_micro_bench" --benchmark_min_time=0.2
