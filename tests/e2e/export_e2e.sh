#!/usr/bin/env bash
# The log export end to end: the real program under Wine, driven as a user
# would (log page conditions, the log menu's "导出…", the system's save
# dialog, the outcome box), and the file it writes compared byte for byte
# with the same query run by sqlite3 on database.db: the expected CSV is
# composed in SQL, quoting and all, so the program's writer is checked
# against an independent one. The range has already ended, so the rows
# cannot change under the comparison. No host is monitored: no traffic.
#
# Usage: tests/e2e/export_e2e.sh BUILD_DIR
# The Wine prefix is $QERNO_WINEPREFIX; a display must be set (DISPLAY).
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$1"
export WINEPREFIX="${QERNO_WINEPREFIX:?the prefix of this test}"
export QERNO_WINEPREFIX="$WINEPREFIX"

TITLE="Qerno网络检测"
SAVE_TITLE="导出日志"
INFO="信息："
LOG_TAB=1 TIME_SWITCH=4 START_DATE=6 END_DATE=8 TYPE_COMBO=10 LOG_LIST=12
MANY=3000  # rows in the range beyond the log page's 1000
LONG=3000000  # rows of the export that is cancelled
PROGRESS_TEXT=1 CANCEL_BUTTON=3

RUN="$(mktemp -d "$BUILD/export-run.XXXXXX")"
source "$ROOT/tests/e2e/e2e_steps.sh"
cleanup() {
  [ -n "${PROGRAM_PID:-}" ] && kill "$PROGRAM_PID" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "${EXPORT_E2E_KEEP:-}" ] || rm -rf "$RUN"
}
trap cleanup EXIT

if [ -n "${EXPORT_E2E_DEBUG:-}" ]; then set -x; fi
winpath() { "$ROOT/scripts/wine-run" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# The expected file for a condition: BOM, header, rows newest first; a field
# is quoted (quotes doubled) when it holds a comma, a quote, CR or LF.
expected_csv() {
  local where="$1" out="$2"
  local q="CASE WHEN instr(F, ',') OR instr(F, '\"') OR instr(F, char(13)) OR instr(F, char(10))
                THEN '\"' || replace(F, '\"', '\"\"') || '\"' ELSE F END"
  sql "SELECT writefile('$out', x'EFBBBF' || '时间,名称,IP,延时,状态' || char(13, 10) ||
         coalesce((SELECT group_concat(line, '') FROM (
           SELECT ${q//F/date} || ',' || ${q//F/name} || ',' || ${q//F/ip} || ',' || time || ',' ||
                  CASE type WHEN 3 THEN '延迟过高' ELSE '网络不通' END || char(13, 10) AS line
           FROM record $where ORDER BY id DESC)), ''));" >/dev/null
}

# Right click on the log list and choose the item.
open_log_menu_item() {
  helper rightclick "$TITLE" $LOG_LIST 400 150
  helper menu-choose "$1"
}

# Right click on the log list, "导出…", the save dialog, the outcome box.
# Prints the box's text.
export_to() {
  local file="$1"
  open_log_menu_item "导出…" || { fail "no 导出… in the log menu"; return 1; }
  helper save-as "$SAVE_TITLE" "$(winpath "$file")" || { fail "no save dialog"; return 1; }
  helper answer-box "$INFO" 1
}

# --- database.db with log rows: a range that has ended, awkward names, rows outside. ---
cp "$BUILD/app/qerno.exe" "$BUILD/tests/e2e/helper/qerno-e2e-helper.exe" "$RUN/"
sql "CREATE TABLE serverlist (id INTEGER PRIMARY KEY, servername TEXT, serverip TEXT,
       time1 INTEGER, color1 INTEGER, time2 INTEGER, color2 INTEGER, time3 INTEGER, color3 INTEGER,
       time4 INTEGER, color4 INTEGER, auto INTEGER, record INTEGER, handle INTEGER);
     CREATE TABLE record (id INTEGER PRIMARY KEY, name TEXT, ip TEXT, list_id INTEGER,
       time INTEGER, color INTEGER, date TEXT, type INTEGER);
     INSERT INTO record (name, ip, list_id, time, color, date, type) VALUES
       ('before', '198.18.0.1', 1, 1000, 255, '2024-02-29 23:59:59', 4),
       ('办公网关', '198.18.0.2', 1, 250, 255, '2024-03-01 00:00:00', 3),
       ('a,\"b\"', '198.18.0.3', 2, 1000, 255, '2024-03-01 08:00:00', 4),
       ('two' || char(13, 10) || 'lines', '198.18.0.4', 3, 321, 255, '2024-03-01 09:00:00', 3),
       ('😀 主机', '198.18.0.5', 4, 1000, 255, '2024-03-01 10:00:00', 4);
     WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $MANY)
       INSERT INTO record (name, ip, list_id, time, color, date, type)
       SELECT 'host' || (i % 7), '198.18.1.' || (i % 250), 5, 100 + i, 255,
              '2024-03-01 12:' || printf('%02d:%02d', (i / 60) % 60, i % 60), 3 + (i % 2) FROM n;
     INSERT INTO record (name, ip, list_id, time, color, date, type) VALUES
       ('after', '198.18.0.6', 1, 1000, 255, '2024-03-02 00:00:00', 4),
       ('end bound', '198.18.0.7', 1, 1000, 255, '2024-03-01 23:59:59', 4);"

(cd "$RUN" && exec "$ROOT/scripts/wine-run" qerno.exe >/dev/null 2>&1) &
PROGRAM_PID=$!
helper find "$TITLE" >/dev/null || { fail "the program did not start"; exit 1; }
helper tab "$TITLE" $LOG_TAB 1 >/dev/null

# --- 1: the range 2024-03-01, type "全部": more rows than the page shows. ---
helper check "$TITLE" $TIME_SWITCH 1
helper date "$TITLE" $START_DATE 2024 3 1 0 0 0
helper date "$TITLE" $END_DATE 2024 3 1 23 59 59
helper combo "$TITLE" $TYPE_COMBO 0
box=$(export_to "$RUN/all.csv")
rows=$(sql "SELECT count(*) FROM record WHERE date >= '2024-03-01 00:00:00' AND date <= '2024-03-01 23:59:59'")
[ "$box" = "导出完成，共 $rows 条日志。" ] && pass "outcome box: $box" || fail "outcome box: \"$box\", $rows rows"
expected_csv "WHERE date >= '2024-03-01 00:00:00' AND date <= '2024-03-01 23:59:59'" "$RUN/all.expected"
cmp -s "$RUN/all.csv" "$RUN/all.expected" && pass "range export equals the sqlite3 query ($rows rows)" ||
  fail "range export differs: $(cmp "$RUN/all.csv" "$RUN/all.expected" 2>&1 | head -1)"
[ ! -e "$RUN/all.csv.part" ] && pass "no temporary file left" || fail "all.csv.part left"

# --- 2: the same range, type "超时" (4). ---
helper combo "$TITLE" $TYPE_COMBO 2
box=$(export_to "$RUN/timeouts.csv")
[ "$box" = "导出完成，共 $(sql "SELECT count(*) FROM record WHERE date >= '2024-03-01 00:00:00' AND date <= '2024-03-01 23:59:59' AND type = 4") 条日志。" ] &&
  pass "outcome box: $box" || fail "outcome box: \"$box\""
expected_csv "WHERE date >= '2024-03-01 00:00:00' AND date <= '2024-03-01 23:59:59' AND type = 4" "$RUN/timeouts.expected"
cmp -s "$RUN/timeouts.csv" "$RUN/timeouts.expected" && pass "timeouts export equals the sqlite3 query" ||
  fail "timeouts export differs: $(cmp "$RUN/timeouts.csv" "$RUN/timeouts.expected" 2>&1 | head -1)"

# --- 3: a range without rows: told so, no file. ---
helper date "$TITLE" $START_DATE 2020 1 1 0 0 0
helper date "$TITLE" $END_DATE 2020 1 1 23 59 59
box=$(export_to "$RUN/none.csv")
[ "$box" = "没有符合条件的日志，未生成文件。" ] && pass "empty range told: $box" || fail "empty range box: \"$box\""
[ ! -e "$RUN/none.csv" ] && [ ! -e "$RUN/none.csv.part" ] && pass "empty range writes no file" || fail "a file for an empty range"

# --- 4: the save dialog cancelled: nothing happens, no file. ---
open_log_menu_item "导出…" || fail "no 导出… in the log menu"
helper save-as "$SAVE_TITLE" "" || fail "no save dialog to cancel"
sleep 1
[ -z "$(ls "$RUN"/*.csv 2>/dev/null | grep -v -e all.csv -e timeouts.csv)" ] && pass "cancelled dialog writes nothing" ||
  fail "a file after a cancelled dialog"

# --- 5: a long export cancelled from its progress window: no file, no leftover. ---
# Old rows (2023), enough that the export outlasts the window's delay by seconds.
sql "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $LONG)
       INSERT INTO record (name, ip, list_id, time, color, date, type)
       SELECT 'bulk', '198.18.2.1', 6, 200, 255, '2023-06-01 00:00:00', 3 FROM n;"
helper check "$TITLE" $TIME_SWITCH 0
helper combo "$TITLE" $TYPE_COMBO 0
open_log_menu_item "导出…" || fail "no 导出… in the log menu"
helper save-as "$SAVE_TITLE" "$(winpath "$RUN/long.csv")" || fail "no save dialog for the long export"
sleep 1  # the dialog has gone; the progress window has the same title
if helper find "$SAVE_TITLE" >/dev/null; then
  progress=$(helper text "$SAVE_TITLE" $PROGRESS_TEXT)
  helper press "$SAVE_TITLE" $CANCEL_BUTTON
  pass "progress window shown: $progress"
  gone=no
  for _ in $(seq 1 20); do
    [ -e "$RUN/long.csv.part" ] || { gone=yes; break; }
    sleep 0.5
  done
  [ "$gone" = yes ] && [ ! -e "$RUN/long.csv" ] && pass "cancelled export leaves no file" ||
    fail "cancelled export left $(ls "$RUN"/long.csv* 2>/dev/null)"
else
  fail "no progress window for a long export"
fi

finish
