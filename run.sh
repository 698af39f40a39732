#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts yuzulog with the bundled sample logs.
# Extra arguments are passed to the program (log files, or keys such as ViewMode:1).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DYUZULOG_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc 2>/dev/null || echo 2)"

samples=(tests/data/room05a.LOG tests/data/room05b.LOG tests/data/room12.lzh
         tests/data/room03-lh1.lzh)
args=("$@")
[ ${#args[@]} -eq 0 ] && args=("${samples[@]}")

if [ -x build-release/app/yuzulog ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here. To see the main window, take a screenshot instead:" >&2
    echo "  xvfb-run -a build-release/app/yuzulog Screenshot:/tmp/yuzulog.png ${samples[*]}" >&2
    echo "or run it on a machine with a desktop." >&2
    exit 1
  fi
  [ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
  exec build-release/app/yuzulog "${args[@]}"
fi
# Without the desktop program, show the tree of the sample logs.
exec build-release/cli/yuzulog-cli tree "${args[@]}"
