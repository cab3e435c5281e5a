#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when any is missing. Idempotent:
# on a machine that has them all it only checks and returns.
set -euo pipefail

packages=(
    cmake ninja-build googletest libgtest-dev libgmock-dev
    clang libclang-rt-14-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    wine wine32:i386 wine64
    xvfb xauth imagemagick
    # Several monitors for the tests: Xorg with the dummy driver and xrandr; 32-bit programs see
    # the dummy outputs only with the i386 RandR, Render and Xinerama libraries.
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    libxrandr2:i386 libxrender1:i386 libxinerama1:i386
    nsis unzip
    msitools wixl python3-jsonschema python3-yaml
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to install packages." >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
