#!/usr/bin/env bash
# Everyday curl jobs against a fresh kobix-serverd on a temporary folder: a listing, downloads in
# extended passive, passive and active mode, an upload, and a resumed download and upload. Every
# file is compared by checksum. Usage: curl.sh PATH-TO-KOBIX-SERVERD
set -u

SERVERD=${1:?usage: curl.sh PATH-TO-KOBIX-SERVERD}
command -v curl >/dev/null || { echo "curl is not installed"; exit 1; }

. "$(dirname "$0")/lib/serverd.sh"

mkdir -p "$WORK/srv" "$WORK/local"
head -c 5000000 /dev/urandom >"$WORK/srv/big.bin"
head -c 4096 /dev/urandom >"$WORK/srv/small.bin"
head -c 3000000 /dev/urandom >"$WORK/local/upload.bin"

start_serverd curl-secret --quiet

URL="ftp://127.0.0.1:$PORT/A"
CURL=(curl --silent --show-error --max-time 60 --user tester:curl-secret)
FAILED=0

sum() { sha256sum "$1" | cut -d' ' -f1; }

check() {  # NAME EXPECTED-FILE ACTUAL-FILE
  if [ -f "$3" ] && [ "$(sum "$2")" = "$(sum "$3")" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1"; FAILED=1
  fi
}

run() {  # NAME, then the curl arguments
  local name=$1; shift
  "${CURL[@]}" "$@"
  local status=$?
  if [ $status -ne 0 ]; then
    echo "FAIL $name (curl exit status $status)"; FAILED=1; return 1
  fi
}

# Listing (MLSD, one fact line per entry).
if run "listing" -X MLSD "$URL/" -o "$WORK/local/listing.txt"; then
  if grep -q "; big.bin" "$WORK/local/listing.txt" && grep -q "; small.bin" "$WORK/local/listing.txt"; then
    echo "ok   listing"
  else
    echo "FAIL listing"; cat "$WORK/local/listing.txt"; FAILED=1
  fi
fi

# Downloads: extended passive (curl's default), plain passive, active with EPRT and with PORT.
run "download EPSV" "$URL/big.bin" -o "$WORK/local/epsv.bin" && check "download EPSV" "$WORK/srv/big.bin" "$WORK/local/epsv.bin"
run "download PASV" --disable-epsv "$URL/big.bin" -o "$WORK/local/pasv.bin" &&
  check "download PASV" "$WORK/srv/big.bin" "$WORK/local/pasv.bin"
run "download active EPRT" --ftp-port 127.0.0.1 "$URL/big.bin" -o "$WORK/local/eprt.bin" &&
  check "download active EPRT" "$WORK/srv/big.bin" "$WORK/local/eprt.bin"
run "download active PORT" --ftp-port 127.0.0.1 --disable-eprt "$URL/small.bin" -o "$WORK/local/port.bin" &&
  check "download active PORT" "$WORK/srv/small.bin" "$WORK/local/port.bin"

# Upload, then the same file back.
run "upload" -T "$WORK/local/upload.bin" "$URL/upload.bin" && check "upload" "$WORK/local/upload.bin" "$WORK/srv/upload.bin"
run "upload read back" "$URL/upload.bin" -o "$WORK/local/back.bin" && check "upload read back" "$WORK/local/upload.bin" "$WORK/local/back.bin"

# Resumed download: a local prefix is completed from the server (REST + RETR).
head -c 1234567 "$WORK/srv/big.bin" >"$WORK/local/partial.bin"
run "resumed download" -C - "$URL/big.bin" -o "$WORK/local/partial.bin" &&
  check "resumed download" "$WORK/srv/big.bin" "$WORK/local/partial.bin"

# Resumed upload: the server keeps its prefix and receives the rest (SIZE, then APPE).
head -c 2000000 "$WORK/local/upload.bin" >"$WORK/srv/resume.bin"
run "resumed upload" -C - -T "$WORK/local/upload.bin" "$URL/resume.bin" &&
  check "resumed upload" "$WORK/local/upload.bin" "$WORK/srv/resume.bin"

# The session survives all of it: the server is still there.
kill -0 "$SERVER_PID" 2>/dev/null || { echo "FAIL kobix-serverd has gone"; FAILED=1; }
exit $FAILED
