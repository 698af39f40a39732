#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing yuzulog need.
# Only packages that are missing are installed; the package lists are refreshed only then.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libqt6opengl6-dev
  libarchive-dev libarchive-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n
  jlha-utils xvfb xauth ripgrep
  libsqlite3-dev qt6-charts-dev qt6-svg-dev libssl-dev
  linkchecker tidy appstream lintian
  jq
)
# Extra packages only the developer tools need (screenshots of pages), and clang with its
# libFuzzer and sanitizer runtimes for the fuzz build (fuzz/run.sh).
for option in "$@"; do
  case "$option" in
    --dev) PACKAGES+=(chromium imagemagick) ;;
    --fuzz) PACKAGES+=(clang libclang-rt-dev) ;;
  esac
done

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
