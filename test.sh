#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   ./test.sh             the whole program and all tests (windows under the offscreen platform)
#   ./test.sh --sanitize  the core, the command-line tool and their tests with AddressSanitizer
#                         and UndefinedBehaviorSanitizer, in a build folder of its own
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DYUZULOG_SANITIZE=ON \
    -DYUZULOG_BUILD_GUI=OFF -DYUZULOG_BENCH=OFF -DYUZULOG_WERROR=ON >/dev/null
  # The loader handles an allocation that fails; let it see the failure instead of an abort.
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build=build
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DYUZULOG_WERROR=ON >/dev/null
fi
cmake --build "$build" -j "$jobs"
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 300
