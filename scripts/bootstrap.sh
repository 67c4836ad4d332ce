#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those that are
# missing. Safe to run again: with everything present it changes nothing.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
    wine wine64 fonts-wine xvfb xauth x11-utils imagemagick librsvg2-bin fonts-nanum
    zip unzip xxd
    msitools wixl osslsigncode uuid-runtime libxml2-utils xsltproc openssl
    nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "bootstrap: need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
