# The steps every end-to-end script shares: its verdicts, the test helper in
# the run folder, the run's database. Sourced after ROOT and RUN are set.
# shellcheck shell=bash

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
helper() { (cd "$RUN" && "$ROOT/scripts/wine-run" qerno-e2e-helper.exe "$@" 2>/dev/null) | tr -d '\r'; }
sql() { sqlite3 -cmd ".timeout 3000" "$RUN/database.db" "$1"; }

# The verdict line and the exit code of the whole script.
finish() {
  [ "$failures" = 0 ] && echo "PASSED" || echo "FAILED: $failures"
  exit $((failures > 0))
}
