#!/usr/bin/env bash
# Installs the Debian packages that building murlo needs and this machine
# lacks (with --tests, those the tests need too), then does nothing else.
# Nothing is installed when everything is there, so it needs no root then;
# otherwise it runs apt-get as root, through sudo when not root.
set -euo pipefail

build_packages=(cmake g++ make pkg-config zlib1g-dev libcli11-dev libmicrohttpd-dev
  libcpp-httplib-dev)
test_packages=(libgtest-dev googletest)

wanted=("${build_packages[@]}")
case "${1:-}" in
  --tests) wanted+=("${test_packages[@]}") ;;
  "") ;;
  *)
    echo "usage: scripts/setup.sh [--tests]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
((${#missing[@]})) || exit 0

if ! command -v apt-get >/dev/null; then
  echo "setup: missing ${missing[*]}, and no apt-get to install them with:" \
    "install them (or what your system calls them) by hand" >&2
  exit 1
fi
as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || {
    echo "setup: installing ${missing[*]} needs root (or sudo)" >&2
    exit 1
  }
  as_root=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
