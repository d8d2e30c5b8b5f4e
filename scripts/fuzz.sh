#!/usr/bin/env bash
# Builds the connection fuzzer with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for the given seconds (default 60)
# from the seed corpus in tests/fuzz/corpus.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
"$root/scripts/deps.sh"
dir="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQEL_FUZZ=ON -DQEL_SANITIZER="address,undefined" -DQEL_TESTS=OFF -DQEL_BENCH=OFF >/dev/null
cmake --build "$dir" --target qel_connection_fuzzer
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/tests/fuzz/corpus/"* "$work/"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
"$dir/bin/qel_connection_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=20 \
  -print_final_stats=1 "$work"
