#!/usr/bin/env bash
# Whole-program figures next to their anchors, taken in the same run on the same files.
#
#   bench/run.sh [--small] [--build DIR] [--corpus DIR] [--runs N] [--no-micro] [--lzh-only]
#                [--app-only]
#
# --build   the build folder holding yuzulog-cli, yuzulog-corpus-gen and the benchmarks
#           (default: build)
# --corpus  where the generated library is kept (default: bench/corpus, git-ignored); it is
#           generated once and reused while its corpus.txt is there
# --small   a library of a few thousand messages, one run of each figure and a token run of each
#           Google Benchmark binary: proves in seconds that everything still works
# --runs N  each figure is the median of N runs (default 5; 1 with --small)
# --no-micro  skip the Google Benchmark binaries
# --lzh-only  only the .lzh row (and none of the Google Benchmark binaries)
# --app-only  only the rows of the desktop program opening the .LOG files in each view
#
# The large library is about 1,000,000 messages (1 GB) of .LOG files, and 200,000 messages in
# .lzh archives of 5,000 messages each (packing runs the Java lha, about a second an archive).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build="$here/../build"
corpus="$here/corpus"
small=0
runs=""
micro=1
lzhOnly=0
appOnly=0
while [ $# -gt 0 ]; do
  case "$1" in
    --small) small=1 ;;
    --build) build=$2; shift ;;
    --corpus) corpus=$2; shift ;;
    --runs) runs=$2; shift ;;
    --no-micro) micro=0 ;;
    --lzh-only) lzhOnly=1 ;;
    --app-only) appOnly=1 ;;
    -h|--help) sed -n '2,18p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
build=$(cd "$build" && pwd)
cli="$build/cli/yuzulog-cli"
gen="$build/bench/yuzulog-corpus-gen"
for b in "$cli" "$gen"; do
  [ -x "$b" ] || { echo "run.sh: $b is missing; build it first" >&2; exit 2; }
done

if [ "$small" = 1 ]; then
  logMessages=3000; lzhMessages=2000; lzhPerFile=1000; runs=${runs:-1}; tag=small
else
  logMessages=1000000; lzhMessages=200000; lzhPerFile=5000; runs=${runs:-5}; tag=large
fi
logDir="$corpus/$tag-log"
lzhDir="$corpus/$tag-lzh"
mkdir -p "$corpus"

# ---- the library, generated once ---------------------------------------------------------------
if [ ! -f "$logDir/corpus.txt" ]; then
  echo "generating $logMessages messages of .LOG files in $logDir" >&2
  "$gen" --out "$logDir" --messages "$logMessages" --seed 1 >&2
fi
haveLzh=0
if [ -f "$lzhDir/corpus.txt" ]; then
  haveLzh=1
elif [ "$appOnly" = 1 ]; then
  :  # the desktop program's rows read only the .LOG files
elif command -v lha > /dev/null; then
  echo "generating $lzhMessages messages in .lzh archives in $lzhDir" >&2
  "$gen" --out "$lzhDir" --messages "$lzhMessages" --per-file "$lzhPerFile" --seed 2 --lzh >&2
  haveLzh=1
else
  echo "run.sh: no lha on this machine: the .lzh figures are left out" >&2
fi

value() { sed -n "s/^$2=//p" "$1/corpus.txt"; }
rare=$(value "$logDir" rare_word)
common=$(value "$logDir" common_word)
japanese=$(value "$logDir" japanese_word)  # UTF-8, as yuzulog-cli takes it; the logs hold CP932
logs=("$logDir"/*.LOG)
lzhs=()
[ "$haveLzh" = 1 ] && lzhs=("$lzhDir"/lzh/*.lzh)

# ---- measuring ---------------------------------------------------------------------------------
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
# Wall-clock ms of a command, output discarded.
wall() { local t0 t1; t0=$(now_ms); "$@" > /dev/null 2>&1 || true; t1=$(now_ms); echo $((t1 - t0)); }
# The same with the output kept in a file: GNU grep stops at its first match when it sees that
# its output goes to /dev/null, count or not.
wall_kept() {
  local t0 t1; t0=$(now_ms); "$@" > "$scratch" 2>&1 || true; t1=$(now_ms); echo $((t1 - t0))
}
# A key of the --stats line of a yuzulog-cli run.
stat() {
  local key=$1; shift
  "$@" 2>&1 > /dev/null | tr ' ' '\n' | sed -n "s/^$key=//p" | tail -1
}
repeat() { local i; for ((i = 0; i < runs; i++)); do "$@"; done | median; }

cat_logs() { cat "${logs[@]}"; }
bsdtar_loop() { local f; for f in "${lzhs[@]}"; do bsdtar -xOf "$f"; done; }
search_args() {  # mode keyword: the yuzulog-cli options that select the mode
  local mode=$1 key=$2 a=(search --count --stats --keyword "$key")
  (( mode % 2 == 0 )) && a+=(--case-sensitive)
  case $((mode / 2)) in 1) a+=(--ignore=newlines) ;; 2) a+=(--ignore=blanks) ;; esac
  printf '%s\n' "${a[@]}"
}

# Warm the page cache so every figure reads from memory.
[ "$lzhOnly" = 1 ] || cat "${logs[@]}" > /dev/null
[ "$haveLzh" = 1 ] && cat "${lzhs[@]}" > /dev/null

logBytes=$(value "$logDir" bytes)
logRecords=$(value "$logDir" records)
rows=()
# figure, ms, anchor ms, anchor, ratio, and for searches ripgrep's ms and the ratio to it.
row() {
  rows+=("$(printf '%-40s %8s %10s   %-24s %-7s %8s   %s' "$1" "$2" "$3" "$4" "$5" "${6:-}" "${7:-}")")
}
header() {
  printf '%-40s %8s %10s   %-24s %-7s %8s   %s\n' "figure" "ms" "anchor ms" "anchor" "ratio" \
    "rg ms" "x rg"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

# ---- the desktop program opening the .LOG files, each view, to its screenshot ------------------
# From the program's start to its end after the first page: under a virtual display of its own
# when there is none (software drawing, as on a machine without a graphics card). The settings the
# program saves on exit go to a folder of the run's own.
app_rows() {
  local app="$build/app/yuzulog" appHome appDisplay xvfbPid cliFiles richMs pageMs
  if [ -x "$app" ] && { [ -n "${DISPLAY:-}" ] || command -v Xvfb > /dev/null; }; then
    appHome=$(mktemp -d)
    appDisplay=${DISPLAY:-}
    xvfbPid=""
    if [ -z "$appDisplay" ]; then
      Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3> "$appHome/display" 2> /dev/null &
      xvfbPid=$!
      for _ in $(seq 100); do [ -s "$appHome/display" ] && break; sleep 0.1; done
      appDisplay=":$(cat "$appHome/display")"
    fi
    open_app() {  # view mode (0 the page view, 1 the rich-text view)
      env DISPLAY="$appDisplay" HOME="$appHome" XDG_CONFIG_HOME="$appHome/config" \
        QTWEBENGINE_DISABLE_SANDBOX=1 "$app" "${logs[@]}" "ViewMode:$1" "Screenshot:$appHome/shot.png"
    }
    cliFiles=$(repeat wall "$cli" files "${logs[@]}")
    richMs=$(repeat wall open_app 1)
    pageMs=$(repeat wall open_app 0)
    # The goal for the rich-text view: the core's load plus a second for the start and first page.
    row "open in the rich-text view, whole program" "$richMs" "$((cliFiles + 1000))" \
      "yuzulog-cli files + 1 s" "x$(ratio "$richMs" "$((cliFiles + 1000))")"
    row "open in the page view, whole program" "$pageMs" "$richMs" "the rich-text view" \
      "x$(ratio "$pageMs" "$richMs")"
    if [ -n "$xvfbPid" ]; then
      kill "$xvfbPid" 2> /dev/null || true
      wait "$xvfbPid" 2> /dev/null || true
    fi
    rm -rf "$appHome"
  fi
}

echo "measuring (each figure the median of $runs runs)" >&2
if [ "$appOnly" = 1 ]; then
  app_rows
  echo
  echo "${#logs[@]} .LOG files; median of $runs runs; $(nproc) cores; load average" \
    "$(cut -d' ' -f1-3 /proc/loadavg) at the end"
  header
  printf '%s\n' "${rows[@]}"
  exit 0
fi
if [ "$lzhOnly" = 0 ]; then
  load=$(repeat stat load_ms "$cli" tree --stats "${logs[@]}")
  tree=$(repeat stat tree_ms "$cli" tree --stats "${logs[@]}")
  catMs=$(repeat wall cat_logs)
  row "open .LOG files to tree ready" "$load" "$catMs" "cat" "x$(ratio "$load" "$catMs")"
  row "  of which the tree build" "$tree" "" "" ""
fi
if [ "$haveLzh" = 1 ]; then
  lzhLoad=$(repeat stat load_ms "$cli" files --stats "${lzhs[@]}")
  tarMs=$(repeat wall bsdtar_loop)
  row "open .lzh archives ($(value "$lzhDir" bytes | awk '{ printf "%d MB", $1 / 1048576 }'))" \
    "$lzhLoad" "$tarMs" "bsdtar -xOf loop" "x$(ratio "$lzhLoad" "$tarMs")"
fi
if [ "$lzhOnly" = 1 ]; then
  echo
  echo "${#lzhs[@]} .lzh archives; median of $runs runs; $(nproc) cores"
  header
  printf '%s\n' "${rows[@]}"
  exit 0
fi
# The matcher's plain byte loop over the same bodies, once per mode and keyword (the matcher
# benchmark compares it with the fast scan on every message before it times anything).
plainCsv=$(mktemp)
scratch=$(mktemp)
trap 'rm -f "$plainCsv" "$scratch"' EXIT
matcher="$build/bench/yuzulog-matcher-bench"
if [ -x "$matcher" ]; then
  YUZULOG_BENCH_CORPUS="$logDir" YUZULOG_BENCH_MB=1000000 "$matcher" --benchmark_filter='FindPlain|Strlen' \
    --benchmark_min_time=0.01 --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
    --benchmark_format=csv > "$plainCsv" 2> /dev/null
fi
plain_ms() {  # mode keyIndex: the median of the plain loop, or empty
  awk -F, -v n="\"FindPlain/mode:$1/key:$2" \
    '$1 == n "_median\"" { m = $3 } $1 == n "\"" { one = $3 }
     END { if (m != "") printf "%d", m + 0.5; else if (one != "") printf "%d", one + 0.5 }' "$plainCsv"
}
# The floor of every scan: each body read once by strlen, nothing compared.
floorMs=$(awk -F, '$1 == "\"Strlen_median\"" { m = $3 } $1 == "\"Strlen\"" { one = $3 }
  END { if (m != "") printf "%d", m + 0.5; else if (one != "") printf "%d", one + 0.5 }' "$plainCsv")
row "every body read once (strlen)" "${floorMs:--}" "" "the floor of any scan" ""
# ripgrep on one thread, as fixed strings. It takes a pattern only as UTF-8, so a keyword whose
# code page 932 bytes are not ASCII goes in as a pattern of escaped bytes with Unicode off: a
# literal all the same, and one without letters, so -i changes nothing for it.
rg_args() {  # keyword bytes (code page 932): the pattern options
  if LC_ALL=C grep -q '[^ -~]' <<< "$1"; then
    printf '%s\n' "(?-u)$(printf '%s' "$1" | od -An -tx1 -v | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /\\x/g; s/^/\\x/')"
  else
    printf '%s\n' -F -- "$1"
  fi
}
haveRg=0
command -v rg > /dev/null && haveRg=1
keyIndex=0
for key in "$rare" "$common" "$japanese"; do
  grepKey=$(printf '%s' "$key" | iconv -f UTF-8 -t CP932)
  grepMs=$(repeat wall_kept env LC_ALL=C grep -c -F -- "$grepKey" "${logs[@]}")
  grepIMs=$(repeat wall_kept env LC_ALL=C grep -c -F -i -- "$grepKey" "${logs[@]}")
  rgMs=""; rgIMs=""
  if [ "$haveRg" = 1 ]; then
    mapfile -t rgPattern < <(rg_args "$grepKey")
    rgMs=$(repeat wall_kept rg -j1 -c "${rgPattern[@]}" "${logs[@]}")
    rgIMs=$(repeat wall_kept rg -j1 -c -i "${rgPattern[@]}" "${logs[@]}")
  fi
  for mode in 0 1 2 3 4 5; do
    mapfile -t args < <(search_args "$mode" "$key")
    ms=$(repeat stat search_ms "$cli" "${args[@]}" "${logs[@]}")
    rgAnchor=""
    if ((mode >= 4)); then
      anchor=$(plain_ms "$mode" "$keyIndex"); what="plain byte loop"
    elif ((mode % 2 == 0)); then
      anchor=$grepMs; what="LC_ALL=C grep -c -F"; rgAnchor=$rgMs
    else
      anchor=$grepIMs; what="LC_ALL=C grep -c -F -i"; rgAnchor=$rgIMs
    fi
    rgRatio=""
    [ -n "$rgAnchor" ] && rgRatio="x$(ratio "$ms" "$rgAnchor")"
    row "search mode $mode '$key'" "$ms" "${anchor:--}" "$what" "x$(ratio "$ms" "${anchor:-0}")" \
      "$rgAnchor" "$rgRatio"
  done
  keyIndex=$((keyIndex + 1))
done

# ---- the result list's column-click sort (the core's, on a common word's 301,162 rows) ----------
# The slowest column's median, first click (from load order) and second (the reversal).
sortBench="$build/bench/yuzulog-resultlist-bench"
if [ -x "$sortBench" ]; then
  YUZULOG_BENCH_CORPUS="$logDir" "$sortBench" --benchmark_filter='FirstClick|SecondClick' \
    --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
    --benchmark_format=csv > "$scratch" 2> /dev/null || true
  slowest_click() {  # FirstClick or SecondClick: the slowest column's median ms (one run: its ms)
    awk -F, -v n="\"BM_$1/column:" 'index($1, n) == 1 && ($1 ~ /_median"$/ || $1 ~ /[0-9]"$/) {
        c = substr($1, length(n) + 1); sub(/_median"$|"$/, "", c)
        if ($1 ~ /_median"$/ || !(c in med)) med[c] = $3 }
      END { for (c in med) if (med[c] > m) m = med[c]; if (m != "") printf "%d", m + 0.5 }' "$scratch"
  }
  first=$(slowest_click FirstClick)
  second=$(slowest_click SecondClick)
  row "sort the result list, first click" "${first:--}" 150 "goal, slowest column" \
    "x$(ratio "${first:-0}" 150)"
  row "  the second click (reversal)" "${second:--}" 30 "goal, slowest column" \
    "x$(ratio "${second:-0}" 30)"
fi

app_rows

# ---- export (whole runs, the output removed before each) -----------------------------------------
# A build from before the export command (a "before" run) has no such rows.
haveExport=0
"$cli" export --help > /dev/null 2>&1 && haveExport=1
exportOut="$corpus/export-out"
export_run() {  # format [options]: the wall-clock ms of one export of the .LOG files
  local format=$1; shift
  rm -rf "$exportOut"
  wall "$cli" export --to="$format" --out="$exportOut" "$@" "${logs[@]}"
}
peak_kb() { /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -1; }
iconv_logs() { cat "${logs[@]}" | iconv -f CP932 -t UTF-8 -c > "$scratch"; }
# The CPU time (user + system, ms) of one export: on a machine that others share, the figure
# that the others' load does not change.
export_cpu() {
  local format=$1; shift
  rm -rf "$exportOut"
  /usr/bin/time -f '%U %S' "$cli" export --to="$format" --out="$exportOut" "$@" "${logs[@]}" \
    2>&1 > /dev/null | tail -1 | awk '{ printf "%d\n", ($1 + $2) * 1000 }'
}
haveTime=0
[ -x /usr/bin/time ] && haveTime=1
iconv_cpu() {
  /usr/bin/time -f '%U %S' bash -c 'cat "$@" | iconv -f CP932 -t UTF-8 -c > /dev/null' - "${logs[@]}" \
    2>&1 | tail -1 | awk '{ printf "%d\n", ($1 + $2) * 1000 }'
}
if [ "$haveExport" = 1 ]; then
  iconvMs=$(repeat wall iconv_logs)
  [ "$haveTime" = 1 ] && row "  CPU time of the iconv anchor" "$(repeat iconv_cpu)" "" "" ""
  for format in jsonl text html sqlite; do
    ms=$(repeat export_run "$format")
    if [ "$format" = jsonl ] || [ "$format" = text ]; then
      row "export --to=$format" "$ms" "$iconvMs" "cat | iconv -f CP932 -t UTF-8" "x$(ratio "$ms" "$iconvMs")"
    else
      row "export --to=$format" "$ms" "" "" ""
    fi
    [ "$haveTime" = 1 ] && row "  CPU time (user + system)" "$(repeat export_cpu "$format")" "" "" ""
  done
  # The full-text index takes minutes on the large library: one run.
  ftsMs=$(export_run sqlite --fts)
  row "export --to=sqlite --fts (one run)" "$ftsMs" "" "" ""
  if [ -x /usr/bin/time ]; then
    loadedKb=$(peak_kb "$cli" files "${logs[@]}")
    for format in jsonl html sqlite; do
      rm -rf "$exportOut"
      kb=$(peak_kb "$cli" export --to="$format" --out="$exportOut" "${logs[@]}")
      row "  memory beyond the loaded logs ($format)" "$(( (kb - loadedKb) / 1024 )) MB" "" "" ""
    done
  fi
  rm -rf "$exportOut"
else
  echo "run.sh: $cli has no export command: the export rows are left out" >&2
fi

# ---- the pieces (Google Benchmark; the view benchmark paints its steps through Qt) ----------------
# The load benchmark always; the whole matcher benchmark only in the small run (the large run
# has already timed its plain loop above).
micro_args=()
benches=(yuzulog-load-bench yuzulog-model-bench yuzulog-view-bench yuzulog-show-bench
  yuzulog-search-bench)
benches+=(yuzulog-resultlist-bench yuzulog-searchcore-bench)
benches+=(yuzulog-marks-bench)
benches+=(yuzulog-export-bench)
samples=200
if [ "$small" = 1 ]; then
  micro_args=(--benchmark_min_time=0.01)
  benches+=(yuzulog-matcher-bench)
  samples=20
fi
if [ "$micro" = 1 ]; then
  for b in "${benches[@]}"; do
    exe="$build/bench/$b"
    [ -x "$exe" ] || { echo "run.sh: $exe not built, skipped" >&2; continue; }
    echo "== $b" >&2
    run=("$exe")
    # The browser view draws only on a display: a virtual one when there is none.
    if [ "$b" = yuzulog-show-bench ] && [ -z "${DISPLAY:-}" ] && command -v xvfb-run > /dev/null; then
      run=(xvfb-run -a -s "-screen 0 1280x800x24" "$exe")
    fi
    YUZULOG_BENCH_CORPUS="$logDir" YUZULOG_BENCH_LZH="$lzhDir/lzh" YUZULOG_BENCH_SAMPLES="$samples" \
      "${run[@]}" "${micro_args[@]}" | tee "$scratch" >&2
    # The show benchmark's median drawing of an ordinary message goes into the table too.
    if [ "$b" = yuzulog-show-bench ]; then
      showMs=$(sed -n 's/^ordinary messages.*loaded: median \([0-9.]*\) ms.*/\1/p' "$scratch")
      row "show a message in the page view (median)" "${showMs:--}" "" "" ""
    fi
  done
fi

# The statistics window's figures over every message of the library (the benchmarks above stop
# at 256 MB).
statsBench="$build/bench/yuzulog-stats-bench"
if [ "$micro" = 1 ] && [ -x "$statsBench" ]; then
  echo "== yuzulog-stats-bench" >&2
  YUZULOG_BENCH_CORPUS="$logDir" YUZULOG_BENCH_MB=1000000 "$statsBench" "${micro_args[@]}" >&2
fi

# ---- the table ---------------------------------------------------------------------------------
echo
echo "library: $logRecords messages, $((logBytes / 1048576)) MB of .LOG in ${#logs[@]} files;" \
  "${#lzhs[@]} .lzh archives; median of $runs runs; $(nproc) cores"
header
printf '%s\n' "${rows[@]}"
