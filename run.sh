#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts yuzulog with the bundled sample logs.
# Extra arguments are passed to the program (log files, or keys such as ViewMode:1).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DYUZULOG_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc 2>/dev/null || echo 2)"

files=(tests/data/room05a.LOG tests/data/room05b.LOG tests/data/room12.lzh
       tests/data/room03-lh1.lzh)
# The samples open on a message, so the first look shows a page rather than an empty view.
args=("$@")
[ ${#args[@]} -eq 0 ] && args=("${files[@]}" Message:5/13)

if [ -x build-release/app/yuzulog ]; then
  [ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # No display: show the window on a virtual one and keep a picture of it instead.
    shot=${YUZULOG_SCREENSHOT:-/tmp/yuzulog-screenshot.png}
    echo "No display here; taking a screenshot of the main window instead." >&2
    xvfb-run -a -s "-screen 0 1280x800x24" build-release/app/yuzulog "Screenshot:$shot" "${args[@]}"
    echo "Saved $shot (on a desktop, ./run.sh opens the window itself)." >&2
    exit 0
  fi
  exec build-release/app/yuzulog "${args[@]}"
fi
# Without the desktop program, show the tree of the sample logs.
[ $# -eq 0 ] && set -- "${files[@]}"
exec build-release/cli/yuzulog-cli tree "$@"
