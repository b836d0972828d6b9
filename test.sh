#!/usr/bin/env bash
# Installs what is missing, builds pageshell and runs every test: unit, Qt and
# end-to-end pages through the real binary; the unit and Qt tests once more
# under AddressSanitizer and UndefinedBehaviorSanitizer, the threaded unit
# tests under ThreadSanitizer, and a short run of each fuzz target.
#   FUZZ_SECONDS=60 ./test.sh     runs each fuzz target longer
# In CI (CI=true) warnings are errors.
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh

jobs=$(nproc)
werror=-DPAGESHELL_WERROR=OFF
[ "${CI:-}" = true ] && werror=-DPAGESHELL_WERROR=ON

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGESHELL_BENCH=ON "$werror"
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" -LE large)
(cd build && ctest --output-on-failure -L large)  # 8 GiB written: alone, not beside the others

# Qt's own libraries are not instrumented: leaks they keep until exit are theirs.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGESHELL_SANITIZE=ON \
  -DPAGESHELL_BENCH=OFF "$werror"
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs" -L 'unit|qt')

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGESHELL_TSAN=ON \
  -DPAGESHELL_BENCH=OFF "$werror"
cmake --build build-tsan -j"$jobs" --target platform_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/unit/platform/platform_tests --gtest_filter='WorkerThreads*'

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGESHELL_FUZZ=ON \
  "$werror"
cmake --build build-fuzz -j"$jobs"
fuzz_seconds=${FUZZ_SECONDS:-4}
fuzzers=$(find build-fuzz/tests/fuzz -type f -executable -name 'fuzz_*' | sort)
count=0
for fuzzer in $fuzzers; do
  echo "== $(basename "$fuzzer") (${fuzz_seconds}s)"
  corpus=$(mktemp -d)
  "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" 2>&1 | tail -n 2
  rm -rf "$corpus"
  count=$((count + 1))
done
echo "fuzz: $count passed, 0 failed"
