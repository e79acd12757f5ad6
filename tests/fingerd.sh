#!/usr/bin/env bash
# Starts or stops Debian's Finger server on 127.0.0.79:79 for the Windows
# tests. Run inside scripts/sandbox (a private network namespace).
#   tests/fingerd.sh start|stop PIDFILE
set -euo pipefail
pidfile=$2
case $1 in
start)
  socat TCP-LISTEN:79,bind=127.0.0.79,fork,reuseaddr EXEC:/usr/sbin/in.fingerd,nofork \
    >/dev/null 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 1 50); do
    if (exec 3<>/dev/tcp/127.0.0.79/79) 2>/dev/null; then exit 0; fi
    sleep 0.1
  done
  echo "fingerd did not start on 127.0.0.79:79" >&2
  exit 1
  ;;
stop)
  [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
  rm -f "$pidfile"
  ;;
esac
