#!/usr/bin/env bash
# lftp with compressed transfers (MODE Z, which lftp switches on when FEAT lists it) against a fresh
# kobix-serverd: a small tree mirrored down and up (diff -r), a larger text file up and down again
# (cmp), a segmented download with pget -n 4 and resumed downloads from several restart offsets
# (cmp), and a level set with OPTS MODE Z. lftp's own debug log shows that MODE Z was really in
# force for every listing and transfer. Usage: lftp_modez.sh PATH-TO-KOBIX-SERVERD
set -u

SERVERD=${1:?usage: lftp_modez.sh PATH-TO-KOBIX-SERVERD}
command -v lftp >/dev/null || { echo "lftp is not installed"; exit 1; }

. "$(dirname "$0")/lib/serverd.sh"

# Text-like data: numbered lines of words, compressible but not trivially so.
text_like() {  # size in bytes
  awk 'BEGIN { srand(11); split("kobix folder transfer stream alpha window deflate reply session zeta", w, " ");
               for (i = 0; ; i++) { line = "line " i ":"; for (j = 0; j < 8; j++) line = line " " w[int(rand() * 10) + 1];
                                     print line } }' | head -c "$1"
}

TREE="$WORK/srv/tree"
mkdir -p "$TREE/docs/deep" "$TREE/empty-folder" "$WORK/srv/up" "$WORK/down" "$WORK/local"
text_like 400000 >"$TREE/docs/words.txt"
head -c 300000 /dev/urandom >"$TREE/random.bin"
: >"$TREE/empty.txt"
printf 'first line\r\nsecond line\n' >"$TREE/docs/notes.txt"
for i in 1 2 3 4 5 6 7 8; do echo "file $i" >"$TREE/docs/deep/f$i.txt"; done
text_like 6000000 >"$WORK/local/large.txt"
text_like 12000000 >"$WORK/srv/segmented.txt"

start_serverd lftp-secret --max-users 8

FAILED=0
fail() { echo "FAIL $*"; FAILED=1; }

# One lftp session; its protocol dialogue goes to a log of its own for the checks below. Folders are
# read with LIST (lftp finds no entries in this server's MLSD lines, the listing format's business).
run_lftp() {  # log name, lftp commands after the settings
  HOME="$WORK" timeout 40 lftp -u tester,lftp-secret -p "$PORT" 127.0.0.1 -e "
    debug -o $WORK/$1.log -t 5
    set ftp:passive-mode on
    set net:max-retries 1
    set net:timeout 10
    set net:reconnect-interval-base 1
    set ftp:use-mode-z yes
    set cmd:fail-exit yes
    set ftp:use-mlsd off
    $2
    quit"
}

# The dialogue really was compressed: MODE Z was sent and accepted, and every listing and transfer
# ran while MODE Z was in force (lftp sends MODE S and MODE Z again around its TYPE changes).
check_mode_z() {  # log name, what the log is for
  local log="$WORK/$1.log"
  grep -q -- '---> MODE Z' "$log" || fail "$2: lftp sent no MODE Z"
  grep -q -- '<--- 200 Mode set to Z.' "$log" || fail "$2: MODE Z was not accepted"
  local plain
  plain=$(awk '/---> MODE /{ mode = $NF } /---> (LIST|NLST|RETR|STOR|APPE) /{ if (mode != "Z") print }' "$log")
  [ -z "$plain" ] || fail "$2: transfers outside MODE Z: $plain"
}

if run_lftp mirror-down "mirror /A/tree $WORK/down/tree"; then
  if diff -r "$TREE" "$WORK/down/tree"; then echo "ok   mirror down"; else fail "mirror down (trees differ)"; fi
else
  fail "mirror down (lftp exit status $?)"
fi
check_mode_z mirror-down "mirror down"

if run_lftp mirror-up "mirror -R $WORK/down/tree /A/up/tree"; then
  if diff -r "$TREE" "$WORK/srv/up/tree"; then echo "ok   mirror up"; else fail "mirror up (trees differ)"; fi
else
  fail "mirror up (lftp exit status $?)"
fi
check_mode_z mirror-up "mirror up"

if run_lftp round-trip "put $WORK/local/large.txt -o /A/large.txt; get /A/large.txt -o $WORK/down/large.txt"; then
  if cmp "$WORK/local/large.txt" "$WORK/srv/large.txt" && cmp "$WORK/local/large.txt" "$WORK/down/large.txt"; then
    echo "ok   round trip of a large text file"
  else
    fail "round trip of a large text file (bytes differ)"
  fi
else
  fail "round trip of a large text file (lftp exit status $?)"
fi
check_mode_z round-trip "round trip"

# pget -n 4: the server opens a file for download denying all other access, so the pieces that
# ask for the same file at once are refused (550) and lftp fetches their parts over the connections
# it already has; whichever way the pieces go, the result must be the file.
if run_lftp segmented "pget -n 4 /A/segmented.txt -o $WORK/down/segmented.txt"; then
  if cmp "$WORK/srv/segmented.txt" "$WORK/down/segmented.txt"; then echo "ok   segmented download"; else fail "segmented download (bytes differ)"; fi
else
  fail "segmented download (lftp exit status $?)"
fi
check_mode_z segmented "segmented download"

# Resumed downloads, one at a time: each continues a partial local copy with REST at its length,
# and the compressed stream the server sends starts at that offset.
RESUMED=0
for offset in 1 65536 1000001 5999999; do
  head -c "$offset" "$WORK/srv/segmented.txt" >"$WORK/down/resumed.txt"
  if run_lftp "resume-$offset" "get -c /A/segmented.txt -o $WORK/down/resumed.txt" &&
     cmp "$WORK/srv/segmented.txt" "$WORK/down/resumed.txt"; then
    grep -q -- "---> REST $offset" "$WORK/resume-$offset.log" || fail "resume at $offset: lftp sent no REST $offset"
    check_mode_z "resume-$offset" "resume at $offset"
    RESUMED=$((RESUMED + 1))
  else
    fail "resume at $offset (lftp failed or bytes differ)"
  fi
done
[ "$RESUMED" = 4 ] && echo "ok   resumed downloads from four offsets"

# OPTS MODE Z is this server's to answer even though lftp only sends MODE Z by itself: a level
# set through it holds for the next compressed transfers of the session.
if run_lftp opts "quote OPTS MODE Z LEVEL 1; get /A/tree/docs/words.txt -o $WORK/down/opts.txt" >"$WORK/opts.out" 2>&1 &&
   cmp "$TREE/docs/words.txt" "$WORK/down/opts.txt"; then
  grep -q -- '---> OPTS MODE Z LEVEL 1' "$WORK/opts.log" || fail "lftp did not send OPTS MODE Z LEVEL 1"
  grep -q -- 'MODE Z LEVEL set to 1\.' "$WORK/opts.log" "$WORK/opts.out" || fail "OPTS MODE Z LEVEL 1 was not reported"
  check_mode_z opts "download after OPTS MODE Z"
  echo "ok   OPTS MODE Z then a compressed download"
else
  fail "OPTS MODE Z then a download (lftp failed or bytes differ)"
fi

kill -0 "$SERVER_PID" 2>/dev/null || fail "kobix-serverd has gone"
if [ "$FAILED" != 0 ]; then
  echo "--- server activity (last lines)"; tail -40 "$WORK/server.out"
  for log in "$WORK"/*.log; do echo "--- $log (last lines)"; tail -25 "$log"; done
fi
exit $FAILED
