# Shared by the real-client scripts: a temporary folder removed at the end, and a fresh
# kobix-serverd serving "$WORK/srv" as /A for the account tester, stopped by its pid at the end.
# Source it after setting SERVERD; then call start_serverd with the account's password and any
# further options. It sets WORK before, and PORT and SERVER_PID after the start.

WORK=$(mktemp -d)
SERVER_PID=
cleanup() {
  if [ -n "$SERVER_PID" ]; then
    kill "$SERVER_PID" 2>/dev/null
    wait "$SERVER_PID" 2>/dev/null
  fi
  [ -n "${KEEP:-}" ] && echo "kept $WORK" || rm -rf "$WORK"
}
trap cleanup EXIT

start_serverd() {  # PASSWORD [more kobix-serverd options]
  export KOBIX_INTEROP_PW=$1
  shift
  mkdir -p "$WORK/srv"
  "$SERVERD" --port 0 --folder "A=$WORK/srv" --read-write --user tester --password-env KOBIX_INTEROP_PW "$@" \
    >"$WORK/server.out" 2>&1 &
  SERVER_PID=$!
  PORT=
  for _ in $(seq 1 100); do
    PORT=$(sed -n 's/^Listening on 0\.0\.0\.0:\([0-9][0-9]*\).*/\1/p' "$WORK/server.out" | head -1)
    [ -n "$PORT" ] && return 0
    kill -0 "$SERVER_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "kobix-serverd did not start:"; cat "$WORK/server.out"; exit 1
}
