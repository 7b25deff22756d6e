#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Pellaro need, and only
# those that are missing. This list is the one place where the project's packages are named.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake pkg-config git
    # libraries the product links
    juce-modules-source libhidapi-dev libcrypto++-dev libtinyxml-dev libcurl4-openssl-dev
    zlib1g-dev libpng-dev libjpeg-dev libfreetype-dev libfontconfig1-dev
    libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev libxcomposite-dev
    # typefaces embedded in the panel
    fonts-opendin fonts-lato
    # opening files with their default application
    xdg-utils
    # tests and benchmarks
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick
    # the end-to-end tests: a window manager, and zip for their firmware package
    openbox zip
    # the local firmware service of tests and demonstrations, and curl beside it in benchmarks;
    # OpenSSL for the service over https and the certificates the tests make for it
    libcpp-httplib-dev curl libssl-dev openssl
    # fuzz targets (fuzz/run.sh): Debian's clang with libFuzzer
    clang-14 libfuzzer-14-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
