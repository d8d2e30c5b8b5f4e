#!/usr/bin/env bash
# Builds and runs every test. With --tsan, builds under ThreadSanitizer into
# build/tsan and runs the tests there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
if [ "${1:-}" = "--tsan" ]; then
  dir="$root/build/tsan"
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEL_WERROR=ON \
    -DQEL_SANITIZER=thread -DQEL_BENCH=OFF >/dev/null
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
else
  dir="$root/build/test"
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQEL_WERROR=ON >/dev/null
fi
cmake --build "$dir"
cd "$dir"
ctest --output-on-failure -j4 --timeout 600
