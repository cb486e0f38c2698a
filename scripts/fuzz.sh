#!/usr/bin/env bash
# make fuzz: runs every libFuzzer target for a while, each from its seed corpus in fuzz/corpus/
# (new inputs go to a scratch copy, so the repository's corpus stays small). A finding stops the
# run with the input saved as build-fuzz/findings/<target>/crash-...; put it into a test.
set -euo pipefail

build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)

failed=0
fuzzers=()
for candidate in "$build"/fuzz/fuzz_*; do
  [ -f "$candidate" ] && [ -x "$candidate" ] && fuzzers+=("$candidate")
done
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings"
  [ -d "$root/fuzz/corpus/$name" ] && cp -n "$root/fuzz/corpus/$name"/* "$corpus/" 2>/dev/null || true
  echo "== $name for ${seconds}s"
  if ! (cd "$findings" && "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
          -max_len=4096 -print_final_stats=0 "$corpus" > "$findings/log.txt" 2>&1); then
    echo "FAILED: $name (see $findings/log.txt)"
    tail -n 40 "$findings/log.txt"
    failed=$((failed + 1))
  else
    grep -E "^#[0-9]+ +DONE" "$findings/log.txt" | tail -n 1 || true
  fi
done
total=${#fuzzers[@]}
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
