#!/usr/bin/env bash
# Runs the fuzz targets with libFuzzer on a build in which every library is instrumented, and
# reports for each target the executions, the edges reached and the findings.
#
#   fuzz/run.sh [-n EXECUTIONS] [-t SECONDS] [-T SECONDS] [-m BYTES] [--keep] [TARGET...]
#
#   -n EXECUTIONS  executions per target (default 10000000)
#   -t SECONDS     at most this long per target, whichever comes first (default 1800)
#   -T SECONDS     an input that runs longer than this is a finding (default 10)
#   -m BYTES       the longest input tried (default: libFuzzer's, the larger of 4096 and the
#                  longest corpus file). An execution costs in proportion to its input, and the
#                  list, settings and page targets work line by line and character by character:
#                  -m 1024 reaches all their code several times faster. The archive targets need
#                  the default.
#   --keep         add the inputs that reached new edges to fuzz/corpus/TARGET/, minimised (a
#                  set-cover merge over edges), so the ordinary tests replay them
#   TARGET...      the targets to run (default: every fuzz/*_fuzz.cpp)
#
# The build goes to build-fuzz/ (clang: scripts/install-deps.sh --fuzz). Everything runs at
# nice 19. A finding leaves its input in build-fuzz/findings/TARGET/ and its log beside it;
# replay one with build-fuzz/fuzz/TARGET FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=10000000
seconds=1800
timeout=10
maxlen=
keep=0
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs="$2"; shift 2 ;;
    -t) seconds="$2"; shift 2 ;;
    -T) timeout="$2"; shift 2 ;;
    -m) maxlen="$2"; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

./scripts/install-deps.sh --fuzz

build=build-fuzz
mkdir -p "$build"
# Two runs at a time share the build: one builds while the other waits for it.
(
  flock 9
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DYUZULOG_FUZZ=ON -DYUZULOG_BUILD_GUI=OFF -DYUZULOG_BENCH=OFF >/dev/null
  nice -n 19 cmake --build "$build" -j 2 --target "${targets[@]}" >/dev/null
) 9>"$build/.build-lock"

# A small quarantine: the default one (256 MB) hands every allocation fresh pages, and the page
# faults cost more than the target's own work; use-after-free within an execution is still caught.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1:quarantine_size_mb=16
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

report=()
for t in "${targets[@]}"; do
  work="$build/fuzz-work/$t"
  findings="$build/findings/$t"
  log="$build/findings/$t.log"
  rm -rf "$work"
  mkdir -p "$work" "$findings"
  stamp="$build/findings/$t.start"
  touch "$stamp"
  start=$(date +%s)
  status=0
  # The resident limit catches memory really used. A single allocation may reserve more:
  # libarchive reserves a read-ahead buffer as large as a header claims (up to 4 GB) and touches
  # only the bytes the archive has, so the load fails cleanly in a few megabytes.
  nice -n 19 "$build/fuzz/$t" -runs="$runs" -max_total_time="$seconds" -timeout="$timeout" \
    ${maxlen:+-max_len="$maxlen"} -rss_limit_mb=2048 -malloc_limit_mb=8192 -print_final_stats=1 \
    -artifact_prefix="$findings/" \
    "$work" "fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  elapsed=$(( $(date +%s) - start ))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  edges=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
  # Only this run's findings: those of an earlier run stay for replaying, but are not counted.
  found=$(find "$findings" -type f -newer "$stamp" | wc -l)
  [ "$status" -ne 0 ] && [ "$found" -eq 0 ] && found="exit $status"
  if [ "$keep" -eq 1 ] && [ "$status" -eq 0 ]; then
    before=$(find "fuzz/corpus/$t" -type f | wc -l)
    nice -n 19 "$build/fuzz/$t" -set_cover_merge=1 -use_counters=0 -rss_limit_mb=2048 \
      -malloc_limit_mb=8192 "fuzz/corpus/$t" "$work" \
      >"$build/findings/$t.merge.log" 2>&1
    added=$(( $(find "fuzz/corpus/$t" -type f | wc -l) - before ))
  else
    added="-"
  fi
  report+=("$(printf '%-16s %12s %7s %9s %8s %6s' "$t" "${executions:-?}" "${edges:-?}" \
    "$found" "${elapsed}s" "$added")")
done

printf '%-16s %12s %7s %9s %8s %6s\n' target executions edges findings time kept
printf '%s\n' "${report[@]}"
