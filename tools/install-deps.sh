#!/usr/bin/env bash
# Installs the Debian packages pageshell needs to build, run and test, when
# any of them is missing. Safe to run again: it does nothing when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qtbase5-dev libqt5webkit5-dev
  libjsoncpp-dev libsqlite3-dev libzip-dev zlib1g-dev libssl-dev ca-certificates openssl
  libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth poppler-utils sqlite3 zip unzip python3 locales curl
  xdg-utils dpkg-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests run number formatting under a locale with a decimal comma.
if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  "${sudo_cmd[@]}" localedef -i pl_PL -f UTF-8 pl_PL.UTF-8
fi
