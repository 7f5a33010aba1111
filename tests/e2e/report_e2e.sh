#!/usr/bin/env bash
# The outage report end to end: the real program under Wine inside a test
# namespace of scripts/netns. A host's replies are dropped with nftables and
# let through again; then the report is made through the real dialog and
# the real save-file dialog, as a person would (log menu "生成报告…"), and
# the file is read natively by a strict HTML5 parser (tests/report/
# html_check.py): it must name the outage, with the duration of its row in
# database.db. "生成后打开" off writes the file only; on, the file goes to
# the prefix's registered browser, which here is a recorder program.
#
# Usage (inside the namespace, as root):
#   tests/e2e/report_e2e.sh BUILD_DIR
# The Wine prefix is $QERNO_WINEPREFIX, one of the test's own.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$1"
export WINEPREFIX="${QERNO_WINEPREFIX:?the prefix of this test}"
export QERNO_WINEPREFIX="$WINEPREFIX"
export QERNO_TEST_HOLDBACK_SECONDS=3
PYTHON=/usr/bin/python3  # Debian's, with python3-html5lib

TITLE="Qerno网络检测"
DIALOG="生成报告"
SAVE_TITLE="保存报告"
LIMIT=60                  # seconds a transition may take to show
LOG_TAB=1 LOG_PAGE=1 LOG_LIST=12
KEEP_OPEN=7 GENERATE=8    # the dialog's "生成后打开" and "生成"
NFT_TABLE="inet qerno_report_e2e"
HOST_NAME='网关<b>&"'"'"      # markup in a name: the report shows it as written

RUN="$(mktemp -d "$BUILD/report-run.XXXXXX")"
source "$ROOT/tests/e2e/e2e_steps.sh"
cleanup() {
  nft delete table $NFT_TABLE 2>/dev/null
  wineserver -k 2>/dev/null
  rm -rf "$RUN"
}
trap cleanup EXIT

wine_reg() { "$ROOT/scripts/wine-run" reg "$@" >/dev/null 2>&1; }

# Waits until the command prints something other than nothing or "0".
wait_until() {
  local what="$1"; shift
  local out
  for _ in $(seq 1 $((LIMIT * 2))); do
    out=$("$@")
    if [ -n "$out" ] && [ "$out" != 0 ]; then pass "$what"; return 0; fi
    sleep 0.5
  done
  fail "$what: not within ${LIMIT}s"
  return 1
}

written() { [ -s "$1" ] && echo 1; }

drop_replies() {
  { echo "table $NFT_TABLE {"
    echo "  chain input { type filter hook input priority -10; policy accept;"
    echo "    ip saddr $1 icmp type echo-reply drop"
    echo "  }"
    echo "}"; } | nft -f - || fail "nftables rules"
}

# Opens the dialog from the log page's menu, as a person would.
open_dialog() {
  helper tab "$TITLE" $LOG_TAB $LOG_PAGE >/dev/null
  helper rightclick "$TITLE" $LOG_LIST 40 40 >/dev/null
  helper menu-choose "生成报告…" >/dev/null || { fail "no 生成报告… in the log menu"; return 1; }
  helper find "$DIALOG" >/dev/null || { fail "the report dialog did not open"; return 1; }
}

# Presses "生成" and saves under a bare name: the dialog's default folder is
# the program's, so the file must land there.
generate() {
  local name="$1"
  helper press "$DIALOG" $GENERATE >/dev/null
  helper save-as "$SAVE_TITLE" "$name" >/dev/null || { fail "no save dialog \"$SAVE_TITLE\""; return 1; }
  wait_until "$name written in the program's folder" written "$RUN/$name"
}

# --- The program in a run folder of its own; its browser is a recorder. ---
"$ROOT/scripts/wine-prefix" "$WINEPREFIX" >/dev/null 2>&1
cp "$BUILD/app/qerno.exe" "$BUILD/tests/e2e/helper/qerno-e2e-helper.exe" \
   "$BUILD/tests/hosts/qerno-link-recorder.exe" "$RUN/"
RECORDER="$("$ROOT/scripts/wine-run" winepath -w "$RUN/qerno-link-recorder.exe" 2>/dev/null | tr -d "\r")"
for key in 'HKCR\http\shell\open\command' 'HKCR\htmlfile\shell\open\command'; do
  wine_reg add "$key" /ve /d "\"$RECORDER\" \"%1\"" /f
done
wine_reg add 'HKCR\.html' /ve /d htmlfile /f
sql "CREATE TABLE serverlist (id INTEGER PRIMARY KEY, servername TEXT, serverip TEXT,
       time1 INTEGER, color1 INTEGER, time2 INTEGER, color2 INTEGER, time3 INTEGER, color3 INTEGER,
       time4 INTEGER, color4 INTEGER, auto INTEGER, record INTEGER, handle INTEGER);
     INSERT INTO serverlist VALUES
       (1, '${HOST_NAME//\'/\'\'}', '198.18.1.1', 0, 49152, 100, 49344, 200, 33023, 2000, 255, 0, 1, 0),
       (2, '本机', '127.0.0.1', 0, 49152, 100, 49344, 200, 33023, 2000, 255, 0, 1, 0);"
(cd "$RUN" && exec "$ROOT/scripts/wine-run" qerno.exe >/dev/null 2>&1) &
helper find "$TITLE" >/dev/null || { fail "the program did not start"; exit 1; }

# --- One outage: replies dropped, then let through. ---
sleep $((QERNO_TEST_HOLDBACK_SECONDS + 2))
drop_replies 198.18.1.1
wait_until "an open outage row" sql "SELECT count(*) FROM outage WHERE list_id = 1 AND kind = 1 AND end = ''"
nft delete table $NFT_TABLE 2>/dev/null
wait_until "the outage row closed" sql "SELECT count(*) FROM outage WHERE list_id = 1 AND kind = 1 AND end <> ''"

# --- The report, "生成后打开" off: the file only. ---
open_dialog || exit 1
helper press "$DIALOG" $KEEP_OPEN >/dev/null   # on by default: off
generate "报告_e2e.html"
REPORT="$RUN/报告_e2e.html"
if rows=$("$PYTHON" "$ROOT/tests/report/html_check.py" "$REPORT" 2>&1); then
  pass "the report parses strictly, with no script and nothing from outside"
else
  fail "strict parse: $rows"
fi
grep -qF "$HOST_NAME（198.18.1.1）	中断	" <<<"$rows" && pass "the outage list names the host as written" ||
  fail "no outage row for $HOST_NAME in: $rows"
grep -qF "$HOST_NAME	198.18.1.1	" <<<"$rows" && pass "the hosts' table names the host as written" ||
  fail "no summary row for $HOST_NAME"
want=$(sql "SELECT strftime('%s', end) - strftime('%s', start) FROM outage WHERE list_id = 1 AND kind = 1 ORDER BY start DESC" | tr '\n' ' ')
got=$(grep '^DURATION' <<<"$rows" | cut -f2 | tr '\n' ' ')
[ -n "$want" ] && [ "$got" = "$want" ] && pass "durations equal end − start of the rows ($got)" ||
  fail "durations: report \"$got\", rows \"$want\""
sleep 1
[ ! -e "$RUN/recorded.txt" ] && pass "nothing opened with 生成后打开 off" || fail "opened: $(cat "$RUN/recorded.txt")"

# --- "生成后打开" on: the file goes to the registered browser. ---
helper press "$DIALOG" $KEEP_OPEN >/dev/null
generate "报告_打开.html"
wait_until "the registered browser was given the report" grep -c "报告_打开.html" "$RUN/recorded.txt"

finish
