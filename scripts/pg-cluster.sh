#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests and benchmarks: its data and its
# Unix socket live in a new temporary folder, it listens on no TCP port and
# trusts local connections as the role "kq". Run as root, the server runs as
# the unprivileged user "nobody".
#
#   pg-cluster.sh start STATE [--durable]   starts one; STATE gets its connection
#                                           ("host=... port=... user=kq dbname=postgres")
#                                           or, when none can start, "indisponível: why"
#   pg-cluster.sh stop STATE                stops it and removes its folder
#
# Without --durable the server skips fsync (tests); with it, it keeps the
# default durability (benchmarks). start always ends with status 0: the tests
# read STATE and skip their server cases when it says the server is missing.
set -uo pipefail

action="${1:-}"
state="${2:-}"
durable="${3:-}"
[ -n "$action" ] && [ -n "$state" ] || {
  echo "uso: $0 start|stop ARQUIVO [--durable]" >&2
  exit 2
}

port=5432

bindir() {
  local d
  for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && { echo "$d"; return 0; }
  done
  command -v initdb >/dev/null 2>&1 && dirname "$(command -v initdb)" && return 0
  return 1
}

as_server_user() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u nobody -- "$@"
  else
    "$@"
  fi
}

unavailable() {
  echo "indisponível: $*" >"$state"
  echo "pg-cluster: PostgreSQL indisponível: $*" >&2
  exit 0
}

stop_folder() {
  local dir="$1" bin
  [ -n "$dir" ] && [ -d "$dir" ] || return 0
  if bin="$(bindir)" && [ -f "$dir/data/postmaster.pid" ]; then
    as_server_user "$bin/pg_ctl" -D "$dir/data" -m immediate -w -t 60 stop >/dev/null 2>&1
  fi
  rm -rf "$dir"
}

case "$action" in
start)
  # A cluster a former run left running goes first.
  if [ -f "$state.dir" ]; then
    stop_folder "$(cat "$state.dir")"
    rm -f "$state.dir"
  fi
  rm -f "$state"
  bin="$(bindir)" || unavailable "initdb e pg_ctl não encontrados (pacote postgresql)"
  dir="$(mktemp -d "${TMPDIR:-/tmp}/kq-pg.XXXXXX")" || unavailable "sem pasta temporária"
  echo "$dir" >"$state.dir"
  chmod 755 "$dir"
  [ "$(id -u)" -eq 0 ] && chown nobody "$dir"
  if ! as_server_user "$bin/initdb" -D "$dir/data" -U kq --auth=trust -E UTF8 \
      --locale=C.UTF-8 >"$dir/initdb.log" 2>&1; then
    why="$(tail -n 3 "$dir/initdb.log" | tr '\n' ' ')"
    stop_folder "$dir"
    rm -f "$state.dir"
    unavailable "initdb falhou: $why"
  fi
  opts="-c listen_addresses='' -c unix_socket_directories='$dir' -c port=$port"
  opts+=" -c max_connections=300 -c shared_buffers=128MB"
  if [ "$durable" != "--durable" ]; then
    opts+=" -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
  fi
  if ! as_server_user "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 120 \
      -o "$opts" start >/dev/null 2>&1; then
    why="$(tail -n 3 "$dir/server.log" 2>/dev/null | tr '\n' ' ')"
    stop_folder "$dir"
    rm -f "$state.dir"
    unavailable "o servidor não iniciou: $why"
  fi
  echo "host=$dir port=$port user=kq dbname=postgres" >"$state"
  echo "pg-cluster: servidor de teste em $dir" >&2
  ;;
stop)
  [ -f "$state.dir" ] && stop_folder "$(cat "$state.dir")"
  rm -f "$state" "$state.dir"
  ;;
*)
  echo "uso: $0 start|stop ARQUIVO [--durable]" >&2
  exit 2
  ;;
esac
exit 0
