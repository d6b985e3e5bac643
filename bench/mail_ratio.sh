#!/usr/bin/env bash
# Sends one message with a 10 MB attachment to a local SMTP server through
# Quillon's mail layer and through Python's smtplib, best of three each in
# the same run, and prints as its last line "ratio R" (Quillon's time over
# smtplib's).  Usage: bench/mail_ratio.sh [build folder]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
BENCH="$BUILD/bench/quillon_bench"
[ -x "$BENCH" ] || { echo "build quillon_bench first ($BENCH)" >&2; exit 1; }

WORK="$(mktemp -d)"
SERVER_PID=""
cleanup() {
  exec 3>&- 2>/dev/null || true
  [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

head -c $((10 * 1024 * 1024)) /dev/urandom > "$WORK/sheet.xls"

# The server runs until its standard input (this fifo) closes.
mkfifo "$WORK/in"
/usr/bin/python3 "$ROOT/tests/support/smtp_server.py" --folder "$WORK/received" < "$WORK/in" > "$WORK/server.out" 2>/dev/null &
SERVER_PID=$!
exec 3>"$WORK/in"
for _ in $(seq 100); do
  grep -q READY "$WORK/server.out" 2>/dev/null && break
  sleep 0.1
done
PORT="$(awk '/READY/{print $2}' "$WORK/server.out")"
[ -n "$PORT" ] || { echo "the SMTP server did not start" >&2; exit 1; }

quillon="$(QT_QPA_PLATFORM=offscreen "$BENCH" --send-mail "$PORT" "$WORK/sheet.xls" 3 | awk '/^seconds/{print $2}' | sort -g | head -1)"
python="$(/usr/bin/python3 - "$PORT" "$WORK/sheet.xls" <<'PY'
import smtplib, sys, time
from email.message import EmailMessage
port, path = int(sys.argv[1]), sys.argv[2]
best = None
for _ in range(3):
    start = time.perf_counter()
    m = EmailMessage()
    m["From"] = "Planner <planner@plant.example>"
    m["To"] = "Crew <crew@plant.example>"
    m["Subject"] = "Task sheet"
    m.set_content("The task sheet is attached.")
    with open(path, "rb") as f:
        m.add_attachment(f.read(), maintype="application", subtype="octet-stream", filename="sheet.xls")
    with smtplib.SMTP("127.0.0.1", port) as s:
        s.send_message(m)
    t = time.perf_counter() - start
    best = t if best is None else min(best, t)
print("%.6f" % best)
PY
)"
received="$(ls "$WORK/received"/*.json | wc -l)"
[ "$received" -eq 6 ] || { echo "the server received $received messages, not 6" >&2; exit 1; }
echo "quillon best of 3: $quillon s"
echo "smtplib best of 3: $python s"
awk -v q="$quillon" -v p="$python" 'BEGIN { printf "ratio %.3f\n", q / p }'
