#!/usr/bin/env bash
# Installs the Debian packages needed to build and test krnsetup, krnctl and krnsim, and to
# cross-build krnctl.exe and test it under Wine.
# Safe to run again: apt-get only installs what is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev
    libftdi1-dev libusb-1.0-0-dev
    libcli11-dev
    libgtest-dev libgmock-dev
    fonts-dejavu-core
    xvfb
    clang-format
    g++-mingw-w64-x86-64-posix wine wine64
    dpkg-dev lintian zip
    gcovr
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo="sudo"
    else
        echo "setup: these packages are missing: ${missing[*]}" >&2
        echo "setup: run this script as root (or install sudo) so that apt-get can install them." >&2
        exit 1
    fi
fi
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
