# shellcheck shell=bash
# apt_locked COMMAND...: runs an apt command, waiting (up to ~10 minutes) while another apt or
# dpkg holds its lock. Sourced by the scripts that install; they define log and die first.

apt_locked() {
    local try out rc
    for try in $(seq 1 120); do
        rc=0
        out="$("$@" 2>&1)" || rc=$?
        if [ "$rc" -eq 0 ]; then
            return 0
        fi
        if grep -qiE 'could not get lock|unable to lock|is another process using it' <<<"$out"; then
            [ "$try" -eq 1 ] && log "waiting for another apt/dpkg process to release its lock..."
            sleep 5
            continue
        fi
        printf '%s\n' "$out" | tail -n 30 >&2
        return "$rc"
    done
    die "timed out waiting for the apt lock"
}
