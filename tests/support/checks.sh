# Sourced by the shell tests. `check ok|no WHAT` counts one check and says how it went; every check
# runs even after a failure, so one run shows all that broke. `finish` ends the script with the tally
# and fails when any check did.
failures=0
passes=0
check() {
  if [ "$1" = ok ]; then echo "PASS: $2"; passes=$((passes + 1)); else echo "FAIL: $2"; failures=$((failures + 1)); fi
}
finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
