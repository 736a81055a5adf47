#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test Kestrova.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine64 xvfb
  # Wine's own fonts: dialog units as on Windows, and the caption buttons'
  # glyphs (Marlett); without them windows are laid out wider than designed.
  fonts-wine
  # The faces with Arial's, Times New Roman's and Courier New's metrics: the
  # controls' untitled sans-serif font maps to Arial's stand-in, so labels
  # laid out for Windows keep their whole text.
  fonts-liberation
  googletest
  python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
