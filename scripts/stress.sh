#!/usr/bin/env bash
# make test-stress: the tests that drive real X servers, a Wayland compositor and the programs,
# each repeated until it fails (at most REPEAT times), while one CPU-bound job per core keeps the
# machine busy; then, under the same load, the whole sanitized suite once (from ASAN_BUILD, when
# given). A test whose outcome depends on timing fails here long before it fails by chance in CI.
#
#   stress.sh BUILD REPEAT [ASAN_BUILD]
set -euo pipefail

build=${1:-build}
repeat=${2:-20}
asan_build=${3:-}
cores=$(nproc 2>/dev/null || echo 2)

burners=()
stop_burners() {
  [ ${#burners[@]} -gt 0 ] && kill "${burners[@]}" 2>/dev/null || true
}
trap stop_burners EXIT
for _ in $(seq 1 "$cores"); do
  # A busy loop in the shell itself: no I/O, just the CPU.
  bash -c 'while :; do :; done' &
  burners+=($!)
done
echo "Keeping $cores cores busy; running the X11 and Wayland tests up to $repeat times each."
# The tests' own loops run long here too.
export ZIMBREL_STRESS=1
(cd "$build" && ctest --output-on-failure --repeat "until-fail:$repeat" -R '_x11$|^tst_wayland_')
if [ -n "$asan_build" ]; then
  echo "Still keeping $cores cores busy; running the sanitized suite once."
  unset ZIMBREL_STRESS
  # The sanitizers' settings (ZIMBREL_SANITIZER_ENV, from the Makefile) for this run alone.
  # shellcheck disable=SC2086
  (cd "$asan_build" && env ${ZIMBREL_SANITIZER_ENV:-} ctest --output-on-failure -E tst_packaging)
fi
