#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on Debian 12 (as root). Does nothing
# when everything is there already.
set -euo pipefail

packages=(build-essential cmake googletest libgtest-dev clang-format clang-14 libclang-rt-14-dev
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine32:i386 wine64 xvfb x11-apps imagemagick fonts-ipafont-gothic fonts-ipafont-mincho
  qemu-user-static locales dosfstools fusefat)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync fails one index now and then; the lists it did fetch still
# serve, so a failed update is tried once more and then passed over.
apt-get update -qq || { sleep 10; apt-get update -qq; } || echo "apt-get update failed; using the package lists at hand"
# Security updates are published for amd64 only on some mirrors; preferring the release's own
# versions keeps the amd64 and i386 halves of Wine's libraries at the same version.
apt-get install -y -qq -t bookworm "${missing[@]}" >/dev/null
