#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when
# they are missing. Safe to run again; works as root or through sudo.
set -euo pipefail
packages=(cmake g++ make binutils pkg-config libgtest-dev libgmock-dev python3 python3-ezdxf
          librsvg2-bin)
packages+=(libedit-dev libxml2-utils)  # hostsim's line editing; the picture tests' XML check
packages+=(librecad clang-14 libclang-rt-14-dev)  # external DXF check (LibreCAD) and the DXF fuzz targets
# Windows cross builds (mingw-w64) and their tests under wine: 64-bit wine
# for the x64 builds, 32-bit wine (from Debian's i386 architecture) for the
# x86 ones. The 32-bit Linux builds (g++-multilib; GoogleTest is compiled
# from the sources libgtest-dev ships) run directly where the kernel runs
# 32-bit programs, otherwise under qemu-i386 (qemu-user).
packages+=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
           wine wine64 wine32:i386 g++-multilib qemu-user libedit-dev:i386)
packages+=(ccache)  # compiler cache for the gate's many builds of the same sources
packages+=(clang-format-14)  # the gate checks that the code follows .clang-format
packages+=(valgrind)  # memcheck of hostsim and the module (reads of memory never set)
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
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${SUDO[@]}" dpkg --add-architecture i386
fi
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
