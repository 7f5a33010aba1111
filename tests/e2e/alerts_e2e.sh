#!/usr/bin/env bash
# The alerts end to end: the real program, under Wine on a virtual desktop
# (whose task bar holds the notification area), inside a test namespace of
# scripts/netns. Replies of test hosts are dropped with nftables while the
# program runs; what a person would see is read from the desktop process
# (balloon and tip texts, through qerno-e2e-helper) and from the screen (the
# icon's colour), and the outage rows from database.db.
#
# Usage (inside the namespace, as root):
#   tests/e2e/alerts_e2e.sh BUILD_DIR [SHOTS_DIR]
# SHOTS_DIR: also save the screenshots there (red icon with its balloon).
# The Wine prefix is $QERNO_WINEPREFIX (one of its own: its settings put a
# virtual desktop on it).
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$1"
SHOTS="${2:-}"
export WINEPREFIX="${QERNO_WINEPREFIX:?the prefix of this test}"
export QERNO_WINEPREFIX="$WINEPREFIX"
# The 30 s start-up hold-back would only slow the test down.
export QERNO_TEST_HOLDBACK_SECONDS=3

TITLE="Qerno网络检测"
LIMIT=60          # seconds a transition may take to show
DESK=1280x800
# The only icon of the task bar's notification area sits at its right end.
ICON_AREA=16x16+1262+782
NFT_TABLE="inet qerno_alerts_e2e"

RUN="$(mktemp -d "$BUILD/alerts-run.XXXXXX")"
source "$ROOT/tests/e2e/e2e_steps.sh"
BALLOONS="$RUN/balloons.log"
cleanup() {
  nft delete table $NFT_TABLE 2>/dev/null
  kill "$WATCH_PID" 2>/dev/null
  wineserver -k 2>/dev/null
  rm -rf "$RUN"
}
trap cleanup EXIT


# The tip of the program's icon: the tool text that starts with the title.
tip() { helper tooltips | cut -f3- | tr '\t' '\n' | grep -m1 "^$TITLE\\\\n" ; }

# Waits until the command's output contains the text; the output on success.
wait_for() {
  local text="$1" what="$2"; shift 2
  local out
  for _ in $(seq 1 $((LIMIT * 2))); do
    out=$("$@")
    if grep -qF -- "$text" <<<"$out"; then pass "$what"; return 0; fi
    sleep 0.5
  done
  fail "$what: no \"$text\" within ${LIMIT}s (last: $out)"
  return 1
}
seen_balloons() { cat "$BALLOONS"; }

# The colour of most icon pixels, as "red", "green", "orange", "grey".
icon_colour() {
  local shot="$RUN/screen.png"
  import -window root -crop "$DESK+0+0" "$shot" 2>/dev/null
  # Lines read "x,y: (r,g,b)  #RRGGBB  name".
  convert "$shot" -crop "$ICON_AREA" txt:- 2>/dev/null | awk 'NR > 1 {
      sub(/^[^(]*\(/, ""); sub(/\).*/, ""); split($0, c, ",")
      r = c[1] + 0; g = c[2] + 0; b = c[3] + 0
      if (r > 160 && g < 100 && b < 100) red++
      else if (g > 140 && r < 100) green++
      else if (r > 200 && g > 100 && g < 190 && b < 80) orange++
    } END {
      if (red > 20 && red > green) print "red"
      else if (green > 20) print "green"
      else if (orange > 20) print "orange"
      else print "grey"
    }'
}
# The icon is read off the screen. Once in a while (seen in a long run of
# every end-to-end test, never alone) the capture shows no icon at all at its
# spot; the icon's pictures are checked in process by the tray tests, so then
# the screen checks of this run are skipped, said as such, rather than fail.
# A wrong colour that is there still fails.
ICON_ON_SCREEN=unknown
expect_icon() {
  local want="$1" got
  if [ "$ICON_ON_SCREEN" = no ]; then echo "skip: icon is $want (no icon on the screen)"; return 0; fi
  for _ in 1 2 3 4 5 6; do
    got=$(icon_colour)
    [ "$got" = "$want" ] && { pass "icon is $want"; ICON_ON_SCREEN=yes; return 0; }
    sleep 0.5
  done
  if [ "$ICON_ON_SCREEN" = unknown ] && [ "$got" = grey ]; then
    ICON_ON_SCREEN=no
    echo "skip: no icon found on the screen at $ICON_AREA; the screen checks of this run are skipped"
    return 0
  fi
  fail "icon is $got, not $want"
}
shot() { [ -n "$SHOTS" ] && import -window root -crop "$DESK+0+0" "$SHOTS/$1" 2>/dev/null; return 0; }

drop_replies() {
  nft delete table $NFT_TABLE 2>/dev/null
  { echo "table $NFT_TABLE {"
    echo "  chain input { type filter hook input priority -10; policy accept;"
    for ip in "$@"; do echo "    ip saddr $ip icmp type echo-reply drop"; done
    echo "  }"
    echo "}"; } | nft -f - || fail "nftables rules"
}
let_replies_through() { nft delete table $NFT_TABLE 2>/dev/null; }

# --- The program in a run folder of its own, with three hosts. ---
"$ROOT/scripts/wine-prefix" "$WINEPREFIX" >/dev/null 2>&1
"$ROOT/scripts/wine-run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$ROOT/scripts/wine-run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$DESK" /f >/dev/null 2>&1
cp "$BUILD/app/qerno.exe" "$BUILD/tests/e2e/helper/qerno-e2e-helper.exe" "$RUN/"
sql "CREATE TABLE serverlist (id INTEGER PRIMARY KEY, servername TEXT, serverip TEXT,
       time1 INTEGER, color1 INTEGER, time2 INTEGER, color2 INTEGER, time3 INTEGER, color3 INTEGER,
       time4 INTEGER, color4 INTEGER, auto INTEGER, record INTEGER, handle INTEGER);
     INSERT INTO serverlist VALUES
       (1, '办公网关', '198.18.1.1', 0, 49152, 100, 49344, 200, 33023, 2000, 255, 0, 1, 0),
       (2, '远端服务器', '198.18.1.4', 0, 49152, 100, 49344, 200, 33023, 2000, 255, 0, 1, 0),
       (3, '本机', '127.0.0.1', 0, 49152, 100, 49344, 200, 33023, 2000, 255, 0, 1, 0);"
(cd "$RUN" && exec "$ROOT/scripts/wine-run" qerno.exe >/dev/null 2>&1) &
helper find "$TITLE" >/dev/null || { fail "the program did not start"; exit 1; }

# Every balloon shown from now on, one line each (it stays up for seconds;
# two reads a second see each one).
: >"$BALLOONS"
( last=""
  while :; do
    now=$(helper tooltips | awk -F'\t' '$1 == "1" { print $3 }' | head -1)
    if [ -n "$now" ] && [ "$now" != "$last" ]; then echo "$now" >>"$BALLOONS"; fi
    last="$now"
    sleep 0.5
  done ) &
WATCH_PID=$!

wait_for "正常 3 · 延迟高 0 · 中断 0" "every host up in the tip" tip
expect_icon green

# --- One host's replies dropped: its outage, then its recovery. ---
drop_replies 198.18.1.1
wait_for "主机中断：办公网关（198.18.1.1）" "down balloon names the host" seen_balloons
wait_for "中断 1：办公网关" "tip counts and names the down host" tip
open_rows=$(sql "SELECT count(*) FROM outage WHERE list_id = 1 AND kind = 1 AND name = '办公网关' AND ip = '198.18.1.1' AND start <> '' AND end = ''")
[ "$open_rows" = 1 ] && pass "one open outage row" || fail "open outage rows: $open_rows"
expect_icon red
shot tray-red-balloon.png

let_replies_through
wait_for "主机恢复：办公网关（198.18.1.1），中断 " "recovery balloon with the duration" seen_balloons
grep -qE "主机恢复：办公网关（198.18.1.1），中断 [0-9]+秒" "$BALLOONS" && pass "duration in seconds" ||
  fail "duration text: $(grep 主机恢复 "$BALLOONS")"
wait_for "正常 3 · 延迟高 0 · 中断 0" "tip back to all up" tip
closed=$(sql "SELECT count(*) FROM outage WHERE list_id = 1 AND kind = 1 AND end <> '' AND end >= start")
[ "$closed" = 1 ] && pass "the outage row closed" || fail "closed rows: $closed ($(sql 'SELECT * FROM outage'))"
expect_icon green

# --- Every host but the loopback one silenced at once: one local notice. ---
: >"$BALLOONS"
drop_replies 198.18.1.1 198.18.1.4
wait_for "本地网络中断" "local network balloon" seen_balloons
sleep 4  # a per-host notice of the same moment would have followed by now
local_count=$(grep -c "本地网络中断" "$BALLOONS")
host_count=$(grep -c "主机中断" "$BALLOONS")
[ "$local_count" = 1 ] && [ "$host_count" = 0 ] && pass "one local notice, no host notice" ||
  fail "balloons: $(tr '\n' '|' <"$BALLOONS")"
let_replies_through
wait_for "本地网络已恢复，中断 " "local recovery balloon" seen_balloons

echo "balloons seen: $(tr '\n' '|' <"$BALLOONS")"
finish
