#!/usr/bin/env bash
# MODE Z throughput and server memory through kobix-serverd on loopback: RETR and STOR of 256 MiB
# of text-like data and of 256 MiB of random data at levels 0, 1 and 7, then one 1 GiB RETR and
# STOR at level 1. Every row runs against a fresh server; its peak resident memory (VmHWM) is read
# after login and again after the transfer, so the rise is what the transfer cost.
# For RETR the level is the server's (OPTS MODE Z LEVEL n), for STOR the client's; the server
# inflates whatever level it is sent. Measured, not asserted.
# Usage: modez_transfer.sh PATH-TO-KOBIX-SERVERD [REPEATS]
set -u

SERVERD=${1:?usage: modez_transfer.sh PATH-TO-KOBIX-SERVERD [REPEATS]}
REPEATS=${2:-1}
WORK=$(mktemp -d)
SERVER_PID=
cleanup() {
  if [ -n "$SERVER_PID" ]; then kill "$SERVER_PID" 2>/dev/null; wait "$SERVER_PID" 2>/dev/null; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/srv"

# The client: logs in, sets the level, runs one transfer in MODE Z through its own zlib stream and
# prints the seconds the data took. The server's memory is read around the transfer.
cat >"$WORK/client.py" <<'EOF'
import ftplib, os, sys, time, zlib
port, pid, direction, name, level, source = sys.argv[1:7]
def hwm():
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"): return int(line.split()[1])
ftp = ftplib.FTP()
ftp.connect("127.0.0.1", int(port), timeout=120)
ftp.login("bench", "bench-secret")
ftp.voidcmd("TYPE I")
ftp.voidcmd("MODE Z")
ftp.sendcmd(f"OPTS MODE Z LEVEL {level}")
before = hwm()
start = time.monotonic()
size = 0
if direction == "RETR":
    conn = ftp.transfercmd(f"RETR /A/{name}")
    inflater = zlib.decompressobj(15)
    while True:
        block = conn.recv(1 << 20)
        if not block: break
        size += len(inflater.decompress(block))
    conn.close()
    assert inflater.eof, "not one whole zlib stream"
else:
    conn = ftp.transfercmd(f"STOR /A/{name}")
    deflater = zlib.compressobj(int(level), zlib.DEFLATED, 15, 8)
    with open(source, "rb") as f:
        while True:
            block = f.read(1 << 20)
            if not block: break
            size += len(block)
            conn.sendall(deflater.compress(block))
    conn.sendall(deflater.flush())
    conn.close()
reply = ftp.voidresp()
elapsed = time.monotonic() - start
after = hwm()
ftp.quit()
print(f"{size} {elapsed:.3f} {before} {after} {reply[:3]}")
EOF

# Text-like data: numbered lines of words from a fixed pseudo-random sequence.
python3 - "$WORK" <<'EOF'
import os, random, sys
work = sys.argv[1]
rng = random.Random(5)
words = "kobix folder transfer stream alpha window deflate reply session zeta omega 42 file byte".split()
lines = [f"line {i}: " + " ".join(rng.choice(words) for _ in range(9)) + "\r\n" for i in range(200000)]
block = "".join(lines).encode()
mib = 1 << 20
with open(f"{work}/text256.txt", "wb") as f:
    written = 0
    while written < 256 * mib:
        piece = block[: 256 * mib - written]
        f.write(piece); written += len(piece)
with open(f"{work}/random256.bin", "wb") as f:
    for _ in range(256): f.write(os.urandom(mib))
EOF
cat "$WORK/text256.txt" "$WORK/text256.txt" "$WORK/text256.txt" "$WORK/text256.txt" >"$WORK/text1024.txt"

start_server() {
  : >"$WORK/server.out"
  BENCH_PW=bench-secret "$SERVERD" --port 0 --folder "A=$WORK/srv" --read-write --user bench --password-env BENCH_PW \
    --quiet >"$WORK/server.out" 2>&1 &
  SERVER_PID=$!
  PORT=
  for _ in $(seq 1 100); do
    PORT=$(sed -n 's/^Listening on 0\.0\.0\.0:\([0-9][0-9]*\).*/\1/p' "$WORK/server.out" | head -1)
    [ -n "$PORT" ] && return 0
    sleep 0.1
  done
  echo "kobix-serverd did not start"; cat "$WORK/server.out"; exit 1
}
stop_server() { kill "$SERVER_PID"; wait "$SERVER_PID" 2>/dev/null; SERVER_PID=; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-6s %-7s %5s %5s %9s %8s %9s %9s %5s\n' "op" "data" "MiB" "level" "MiB/s" "seconds" "HWM KiB" "rise KiB" "reply"
row() {  # op, data label, local file, level
  local op=$1 label=$2 file=$3 level=$4 speeds="" seconds="" rises="" hwms="" reply="" out size
  for _ in $(seq 1 "$REPEATS"); do
    start_server
    if [ "$op" = RETR ]; then
      ln -f "$file" "$WORK/srv/payload"
      out=$(python3 "$WORK/client.py" "$PORT" "$SERVER_PID" RETR payload "$level" -)
    else
      out=$(python3 "$WORK/client.py" "$PORT" "$SERVER_PID" STOR upload "$level" "$file")
      cmp -s "$file" "$WORK/srv/upload" || reply="DIFF"
      rm -f "$WORK/srv/upload"
    fi
    stop_server
    read -r size secs before after code <<<"$out"
    speeds+="$(awk -v s="$size" -v t="$secs" 'BEGIN { printf "%.1f", s / 1048576 / t }')"$'\n'
    seconds+="$secs"$'\n'
    rises+="$((after - before))"$'\n'
    hwms+="$after"$'\n'
    reply="${reply:-$code}"
  done
  rm -f "$WORK/srv/payload"
  printf '%-6s %-7s %5d %5s %9s %8s %9s %9s %5s\n' "$op" "$label" "$((size / 1048576))" "$level" \
    "$(printf '%s' "$speeds" | median)" "$(printf '%s' "$seconds" | median)" "$(printf '%s' "$hwms" | median)" \
    "$(printf '%s' "$rises" | median)" "$reply"
}

for level in 0 1 7; do
  for op in RETR STOR; do
    row "$op" text "$WORK/text256.txt" "$level"
    row "$op" random "$WORK/random256.bin" "$level"
  done
done
row RETR text "$WORK/text1024.txt" 1
row STOR text "$WORK/text1024.txt" 1
