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
#   postgres-server.sh tls FOLDER      a started server made to take TLS on
#                                      127.0.0.1 too: a CA (FOLDER/ca.crt) and a
#                                      certificate for "localhost" made by
#                                      openssl; the port goes in FOLDER/port
#
# PostgreSQL refuses to run as root: as root (CI), the server runs as the
# `postgres` user Debian's package makes, on a folder given to it.
set -euo pipefail
action=${1:?usage: $0 start|stop|pause|resume|tls FOLDER}
folder=${2:?usage: $0 start|stop|pause|resume|tls FOLDER}
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
  tls)
    (
      cd "$folder"
      openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quillbary test CA" \
        -keyout ca.key -out ca.crt 2>/dev/null
      openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout server.key \
        -out server.csr 2>/dev/null
      printf "subjectAltName=DNS:localhost\n" >san.ext
      openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
        -extfile san.ext -out server.crt 2>/dev/null
      chmod 600 server.key
      [[ $(id -u) == 0 ]] && chown postgres:postgres server.key server.crt
      true
    )
    # A free port of the loopback, above the well-known ones.
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    printf "ssl = on\nssl_cert_file = '%s/server.crt'\nssl_key_file = '%s/server.key'\nlisten_addresses = '127.0.0.1'\nport = %s\n" \
      "$folder" "$folder" "$port" | as_server tee -a "$folder/data/postgresql.conf" >/dev/null
    as_server "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -m fast -w restart >/dev/null
    echo "$port" >"$folder/port"
    ;;
  stop) stop ;;
  pause) as_server "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null ;;
  resume) as_server "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w start >/dev/null ;;
  *) echo "usage: $0 start|stop|pause|resume|tls FOLDER" >&2; exit 2 ;;
esac
