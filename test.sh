#!/usr/bin/env bash
# Installs what is missing, builds pageshell and runs every test: unit, Qt,
# end-to-end pages through the real binary, and a short run of each fuzz target
# under AddressSanitizer and UndefinedBehaviorSanitizer.
#   FUZZ_SECONDS=60 ./test.sh     runs each fuzz target longer
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGESHELL_BENCH=ON
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGESHELL_FUZZ=ON
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
