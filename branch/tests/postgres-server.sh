#!/usr/bin/env bash
# A PostgreSQL 15 server of the tests' own, in FOLDER, listening only on a
# socket there (no TCP port), with the branch's login roles made:
# branch_owner (the superuser that runs --init-branch), clerk_a and clerk_b
# (members of quillbary_clerk), supervisor_s (of quillbary_supervisor), lead_l
# (of both).
#
#   postgres-server.sh start FOLDER    made afresh, started, waited for
#   postgres-server.sh stop FOLDER     stopped and removed
#   postgres-server.sh pause FOLDER    stopped at once, as by a crash, kept
#   postgres-server.sh resume FOLDER   started again on what it kept
#
# PostgreSQL refuses to run as root: as root (CI), the server runs as the
# `postgres` user Debian's package makes, on a folder given to it.
set -euo pipefail
action=${1:?usage: $0 start|stop|pause|resume FOLDER}
folder=${2:?usage: $0 start|stop|pause|resume FOLDER}
bin=/usr/lib/postgresql/15/bin

as_server() {
  if [[ $(id -u) == 0 ]]; then
    setpriv --reuid=postgres --regid=postgres --init-groups "$@"
  else
    "$@"
  fi
}

stop() {
  if [[ -f $folder/data/postmaster.pid ]]; then
    as_server "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$folder"
}

case $action in
  start)
    stop
    mkdir -p "$folder"
    [[ $(id -u) == 0 ]] && chown postgres:postgres "$folder"
    as_server "$bin/initdb" -D "$folder/data" -U branch_owner -A trust -E UTF8 \
      --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log"; exit 1; }
    # Kept in its settings, so that a resumed server listens where it did.
    printf "listen_addresses = ''\nunix_socket_directories = '%s'\nfsync = off\n" "$folder" |
      as_server tee -a "$folder/data/postgresql.conf" >/dev/null
    as_server "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w start >/dev/null
    psql() { /usr/bin/psql -X -q -v ON_ERROR_STOP=1 -h "$folder" -U branch_owner -d postgres "$@"; }
    psql -c "CREATE ROLE quillbary_clerk NOLOGIN; CREATE ROLE quillbary_supervisor NOLOGIN;
             CREATE ROLE clerk_a LOGIN IN ROLE quillbary_clerk;
             CREATE ROLE clerk_b LOGIN IN ROLE quillbary_clerk;
             CREATE ROLE supervisor_s LOGIN IN ROLE quillbary_supervisor;
             CREATE ROLE lead_l LOGIN IN ROLE quillbary_clerk, quillbary_supervisor;"
    ;;
  stop) stop ;;
  pause) as_server "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null ;;
  resume) as_server "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w start >/dev/null ;;
  *) echo "usage: $0 start|stop|pause|resume FOLDER" >&2; exit 2 ;;
esac
