#!/usr/bin/env bash
# Installs the Debian packages pageshell needs to build, run and test, when
# any of them is missing. Safe to run again: it does nothing when all are there.
#
# Qt 6 WebEngine, the default build, is packaged on Debian 12 and 13 alike;
# QtWebKit (Qt 5) only up to Debian 12, where both builds are made and tested.
# Where a distribution no longer has QtWebKit, the WebEngine build alone is
# made, and nothing of Qt 5 is installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin libgl-dev
  libjsoncpp-dev libsqlite3-dev libbz2-dev zlib1g-dev libssl-dev ca-certificates
  libgtest-dev libbenchmark-dev clang
  xvfb xauth poppler-utils sqlite3 zip unzip python3 locales curl openssl
  xdg-utils dpkg-dev file attr acl
)

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

updated=false
update() {
  $updated && return
  "${sudo_cmd[@]}" apt-get update -qq
  updated=true
}

install_missing() {
  local missing=()
  for package in "$@"; do installed "$package" || missing+=("$package"); done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  update
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"

# The demo app built with Vite (demo/vite-app) needs Node.js and npm; the
# distribution's do (Node 18 on Debian 12, 20 on 13). An npm installed
# otherwise is kept.
command -v npm >/dev/null 2>&1 || install_missing nodejs npm

# The QtWebKit build's packages, where the distribution still has QtWebKit.
if ! installed libqt5webkit5-dev; then
  update
  if apt-cache show libqt5webkit5-dev >/dev/null 2>&1; then
    install_missing qtbase5-dev libqt5webkit5-dev
  fi
fi

# The fuzz targets and sanitizers need the runtime of the clang installed.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
install_missing "libclang-rt-${clang_major}-dev"

# The tests run number formatting under a locale with a decimal comma.
if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  "${sudo_cmd[@]}" localedef -i pl_PL -f UTF-8 pl_PL.UTF-8
fi
