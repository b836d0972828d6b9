#!/usr/bin/env bash
# Installs what is missing, builds pageshell and opens the demo app. Without a
# display the demo runs under a virtual one (xvfb-run), so the command still
# works on a server; close the window, or press Ctrl+C, to end it.
set -euo pipefail
cd "$(dirname "$0")"

# PAGESHELL_PRESET=webkit opens it on the QtWebKit build (Debian 12 only).
preset=${PAGESHELL_PRESET:-default}
build_dir=build
[ "$preset" = default ] || build_dir=build-$preset

./tools/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" -j"$(nproc)" --target pageshell

# The demo runs in a copy, so its logs, databases and saved files stay out of the tree;
# the Vite app beside it is built and run by its own test.
run_dir=$build_dir/demo-run
mkdir -p "$run_dir"
find demo -mindepth 1 -maxdepth 1 ! -name vite-app -exec cp -r {} "$run_dir/" \;
cp js/pageshell.js "$run_dir/"
cd "$run_dir"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ../app/pageshell "$@"
fi
echo "No display: running the demo under xvfb-run."
exec xvfb-run -a ../app/pageshell "$@"
