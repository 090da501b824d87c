#!/usr/bin/env bash
# lftp mirrors a small tree from a fresh kobix-serverd and back up to it; both copies are compared
# with the original by diff -r. Usage: lftp.sh PATH-TO-KOBIX-SERVERD
set -u

SERVERD=${1:?usage: lftp.sh PATH-TO-KOBIX-SERVERD}
command -v lftp >/dev/null || { echo "lftp is not installed"; exit 1; }

. "$(dirname "$0")/lib/serverd.sh"

# The tree: nested folders, an empty file, a file of several send blocks, names with blanks.
TREE="$WORK/srv/tree"
mkdir -p "$TREE/docs/deep/deeper" "$TREE/empty-folder" "$WORK/srv/up" "$WORK/down"
head -c 1500000 /dev/urandom >"$TREE/big.bin"
: >"$TREE/empty.txt"
printf 'first line\r\nsecond line\n' >"$TREE/docs/notes.txt"
head -c 777 /dev/urandom >"$TREE/docs/deep/deeper/odd size.bin"
for i in 1 2 3 4 5 6 7 8 9 10 11 12; do echo "file $i" >"$TREE/docs/deep/f$i.txt"; done

start_serverd lftp-secret --quiet

FAILED=0
# The mirror reads folders with LIST: lftp finds no entries in this server's MLSD lines (the
# listing format's business, not the transfers').
run_lftp() {  # lftp commands after the settings
  HOME="$WORK" timeout 120 lftp -u tester,lftp-secret -p "$PORT" 127.0.0.1 -e "
    set ftp:passive-mode on
    set net:max-retries 1
    set net:timeout 10
    set cmd:fail-exit yes
    set ftp:use-mlsd off
    $1
    quit"
}

if run_lftp "mirror /A/tree $WORK/down/tree"; then
  if diff -r "$TREE" "$WORK/down/tree"; then echo "ok   mirror down"; else echo "FAIL mirror down (trees differ)"; FAILED=1; fi
else
  echo "FAIL mirror down (lftp exit status $?)"; FAILED=1
fi

if run_lftp "mirror -R $WORK/down/tree /A/up/tree"; then
  if diff -r "$TREE" "$WORK/srv/up/tree"; then echo "ok   mirror up"; else echo "FAIL mirror up (trees differ)"; FAILED=1; fi
else
  echo "FAIL mirror up (lftp exit status $?)"; FAILED=1
fi

# Once more with MODE Z: every listing and file travels deflated (lftp falls back to plain
# transfers if the server refuses the mode).
if run_lftp "set ftp:use-mode-z on; mirror /A/tree $WORK/down/tree-z"; then
  if diff -r "$TREE" "$WORK/down/tree-z"; then echo "ok   mirror down in MODE Z"; else echo "FAIL mirror down in MODE Z (trees differ)"; FAILED=1; fi
else
  echo "FAIL mirror down in MODE Z (lftp exit status $?)"; FAILED=1
fi

kill -0 "$SERVER_PID" 2>/dev/null || { echo "FAIL kobix-serverd has gone"; FAILED=1; }
exit $FAILED
