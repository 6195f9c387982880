# shellcheck shell=bash
# The installing steps (apt, dpkg, the locale, apt's source entries) need root; nothing else
# does. Sourced by the scripts that install; they define log and die first.
#
#   need_root    before a block of installing steps: nothing when already root; else asks sudo
#                once (password prompt if needed); without sudo stops with what to run as root.
#   as_root CMD  runs CMD as root: directly when already root, else through sudo. sudo resets
#                the environment: pass variables with `as_root env NAME=value CMD`.

TEV_SCRIPTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

need_root() {
    [ "$(id -u)" -eq 0 ] && return 0
    local setup_cmd
    if ! command -v sudo >/dev/null 2>&1; then
        printf -v setup_cmd 'bash %q --system' "$TEV_SCRIPTS/setup.sh"
        die "installing needs root, and sudo is not installed. As root, run

    $setup_cmd

(it installs the packages and apt entries the project needs, and nothing in anyone's home),
then run your command again as yourself."
    fi
    sudo -p "[$(basename "$0" .sh)] installing needs root; sudo password for %u: " -v ||
        die "sudo refused; the installing steps need root (or run: sudo bash $TEV_SCRIPTS/setup.sh --system)"
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}
