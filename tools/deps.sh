#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when
# they are missing. Safe to run again; works as root or through sudo.
set -euo pipefail
packages=(cmake g++ make binutils pkg-config libgtest-dev libgmock-dev python3 python3-ezdxf
          librsvg2-bin)
packages+=(libedit-dev libxml2-utils)  # hostsim's line editing; the picture tests' XML check
packages+=(librecad clang-14 libclang-rt-14-dev)  # external DXF check (LibreCAD) and the DXF fuzz targets
# Windows cross builds (mingw-w64), their x64 tests under wine, and the
# 32-bit Linux builds.
packages+=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
           wine wine64 g++-multilib)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null; then
  SUDO=(sudo)
else
  echo "Missing packages (${missing[*]}) and neither root nor sudo: install them first." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
