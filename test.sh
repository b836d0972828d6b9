#!/usr/bin/env bash
# Installs what is missing (the Vite demo app's npm packages too), builds
# pageshell and runs every test: unit, Qt and end-to-end pages through the
# real binary on the default build (Qt 6 WebEngine); where the distribution
# has QtWebKit, the Qt and end-to-end tests once more on the QtWebKit build,
# from the same pages; the unit and Qt tests once more
# under AddressSanitizer and UndefinedBehaviorSanitizer, the threaded unit
# tests under ThreadSanitizer, and a short run of each fuzz target. Each build
# is a preset of CMakePresets.json.
#   FUZZ_SECONDS=60 ./test.sh     runs each fuzz target longer
# In CI (CI=true) warnings are errors.
set -euo pipefail
cd "$(dirname "$0")"

# The stages in order; after a failing one, the script says which did not run.
stages=(dependencies default large webkit asan tsan fuzz)
current=0
trap 'status=$?; if [ $status -ne 0 ]; then
  echo "test.sh: stage ${stages[current]} failed; not run: ${stages[*]:current+1}" >&2
fi' EXIT
stage() {
  while [ "${stages[current]}" != "$1" ]; do current=$((current + 1)); done
  echo "== stage $1"
}

stage dependencies
./tools/install-deps.sh
# The Vite demo app's packages, exactly as its lock file gives them; a copy
# of the lock file in node_modules tells that they are there already.
vite_app=demo/vite-app
if ! cmp -s "$vite_app/package-lock.json" "$vite_app/node_modules/.installed-lock.json"; then
  # npm trusts the authorities the system trusts, as the system's other
  # clients do, whichever Node.js build runs it.
  (cd "$vite_app" &&
    NODE_EXTRA_CA_CERTS=${NODE_EXTRA_CA_CERTS:-/etc/ssl/certs/ca-certificates.crt} \
      npm ci --no-audit --no-fund &&
    cp package-lock.json node_modules/.installed-lock.json)
fi

jobs=$(nproc)
werror=-DPAGESHELL_WERROR=OFF
[ "${CI:-}" = true ] && werror=-DPAGESHELL_WERROR=ON

stage default
cmake --preset default "$werror"
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"
# Archives past 4 GiB write 8 GiB: alone, not beside the others.
stage large
ctest --preset large

has_webkit=false
dpkg-query -W -f='${Status}' libqt5webkit5-dev 2>/dev/null | grep -q "install ok installed" &&
  has_webkit=true

# Where the distribution still has QtWebKit, the pages run on it too.
if $has_webkit; then
  stage webkit
  cmake --preset webkit "$werror"
  cmake --build --preset webkit -j"$jobs"
  ctest --preset webkit -j"$jobs"
fi

stage asan
# The sanitizers look at the shell's own code; QtWebKit, where there is one,
# brings no second browser of its own into the instrumented process.
asan_engine=webengine
$has_webkit && asan_engine=webkit
cmake --preset asan "$werror" -DPAGESHELL_ENGINE=$asan_engine
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

stage tsan
cmake --preset tsan "$werror"
cmake --build --preset tsan -j"$jobs" --target platform_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/unit/platform/platform_tests --gtest_filter='WorkerThreads*'

stage fuzz
# A fuzz target with a <name>.dict beside its source gets it as its dictionary,
# and one with a folder corpus/<name>/ beside it starts from copies of those
# seeds (the committed files are never written). Every target runs; the script
# fails at the end if any of them found a fault.
cmake --preset fuzz "$werror"
cmake --build --preset fuzz -j"$jobs"
fuzz_seconds=${FUZZ_SECONDS:-4}
passed=0
failed=0
for fuzzer in $(find build-fuzz/tests/fuzz -type f -executable -name 'fuzz_*' | sort); do
  name=$(basename "$fuzzer")
  family="tests/fuzz/$(basename "$(dirname "$fuzzer")")"
  dictionary="$family/$name.dict"
  seeds="$family/corpus/$name"
  options=(-max_total_time="$fuzz_seconds" -print_final_stats=0)
  [ -f "$dictionary" ] && options+=(-dict="$dictionary")
  echo "== $name (${fuzz_seconds}s)"
  corpus=$(mktemp -d)
  [ -d "$seeds" ] && cp -R "$seeds/." "$corpus/"
  output=$(mktemp)
  if "$fuzzer" "${options[@]}" "$corpus" >"$output" 2>&1; then
    passed=$((passed + 1))
    tail -n 2 "$output"
  else
    failed=$((failed + 1))
    tail -n 40 "$output"
    echo "FAILED: $name"
  fi
  rm -rf "$corpus" "$output"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
