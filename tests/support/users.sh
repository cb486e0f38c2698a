# Sourced by the shell tests that need another user. `test_user NAME` creates the unprivileged
# system user NAME unless it exists. Tests that run at the same time ask for the same users, and
# useradd refuses while another one holds the lock on /etc/passwd, or when the user came meanwhile.
test_user() {
  local _
  for _ in $(seq 1 100); do
    id "$1" > /dev/null 2>&1 && return 0
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$1" 2> /dev/null && return 0
    sleep 0.1
  done
  echo "cannot create the user $1" >&2
  return 1
}
