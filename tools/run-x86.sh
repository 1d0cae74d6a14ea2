#!/usr/bin/env bash
# Runs a 32-bit x86 Linux program of the -m32 builds: directly where this
# machine's kernel runs 32-bit programs, otherwise under qemu-i386 (Debian's
# qemu-user) with the machine's own i386 libraries (-L /).
#   run-x86.sh <program> [args]   run it (exit status is the program's)
#   run-x86.sh --how              print how 32-bit programs run here: native,
#                                 qemu, or "none: <reason>" (exit 1)
# IRONVEIL_X86_RUN=native|qemu forces a way; unset or auto finds out by
# starting the i386 dynamic loader, a 32-bit program every multilib machine has.
# Under qemu, programs the tests start (hostsim) must go through qemu too:
# IV_RUN_PREFIX tells the test helpers so.
set -uo pipefail
loader=/lib/ld-linux.so.2

how() {
  case "${IRONVEIL_X86_RUN:-auto}" in
    native|qemu) echo "$IRONVEIL_X86_RUN"; return 0 ;;
    auto) ;;
    *) echo "none: IRONVEIL_X86_RUN must be native, qemu or auto"; return 1 ;;
  esac
  if [ ! -e "$loader" ]; then
    echo "none: no 32-bit C library ($loader; install g++-multilib)"; return 1
  fi
  if "$loader" --version >/dev/null 2>&1; then
    echo native; return 0
  fi
  if ! command -v qemu-i386 >/dev/null; then
    echo "none: the kernel runs no 32-bit programs and qemu-i386 is missing (install qemu-user)"; return 1
  fi
  if qemu-i386 -L / "$loader" --version >/dev/null 2>&1; then
    echo qemu; return 0
  fi
  echo "none: the kernel runs no 32-bit programs and qemu-i386 could not start one"; return 1
}

if [ "${1:-}" = "--how" ]; then
  how
  exit $?
fi
[ $# -ge 1 ] || { echo "usage: run-x86.sh <program> [args] | --how" >&2; exit 2; }
way=$(how) || { echo "run-x86: cannot run $1: ${way#none: }" >&2; exit 1; }
export IRONVEIL_X86_RUN="$way"
if [ "$way" = qemu ]; then
  export IV_RUN_PREFIX="qemu-i386 -L /"
  exec qemu-i386 -L / "$@"
fi
exec "$@"
