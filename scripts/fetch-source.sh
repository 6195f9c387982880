# shellcheck shell=bash
# Fetching Debian source packages with `apt-get source` (apt needs deb-src entries: see
# build-deps.sh --sources). Sourced, not run; the caller defines log, die and WORK, the folder
# the sources are unpacked in.

APT_SRC_OPTS=(-q)
[ "$(id -u)" -eq 0 ] && APT_SRC_OPTS+=(-o APT::Sandbox::User=root)

# fetch_source PKG VAR_DIR VAR_VERSION: fetches and unpacks the newest version of
# source package PKG that can be downloaded (the newest listed is sometimes gone
# from the archive) and stores its directory and version in the named variables.
fetch_source() {
    local pkg="$1" outdir="$2" outver="$3" v n=0 d src
    local versions
    versions="$(apt-cache showsrc "$pkg" | sed -n 's/^Version:[[:space:]]*//p' | sort -u -r -V)"
    for v in $versions; do
        n=$((n + 1))
        d="$WORK/src-$pkg-$n"
        mkdir -p "$d"
        log "fetching source $pkg=$v"
        if (cd "$d" && apt-get "${APT_SRC_OPTS[@]}" source "$pkg=$v") >"$d.log" 2>&1; then
            src="$(find "$d" -mindepth 1 -maxdepth 1 -type d | head -n 1)"
            if [ -n "$src" ]; then
                printf -v "$outdir" '%s' "$src"
                printf -v "$outver" '%s' "$v"
                return 0
            fi
        fi
        log "  $pkg=$v not available: $(grep -E '^E:' "$d.log" | head -n 1 || true)"
    done
    die "could not fetch any version of source package $pkg"
}
