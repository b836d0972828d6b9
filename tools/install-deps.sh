#!/usr/bin/env bash
# Installs the Debian packages pageshell needs to build, run and test, when
# any of them is missing. Safe to run again: it does nothing when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qtbase5-dev libqt5webkit5-dev
  libjsoncpp-dev libsqlite3-dev libminizip-dev zlib1g-dev
  libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth poppler-utils sqlite3 zip python3
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
