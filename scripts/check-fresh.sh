#!/usr/bin/env bash
# Runs the README's two commands from a fresh clone inside a minimal Debian 12
# root that has nothing of this machine installed:
#
# 1. `bash scripts/run.sh --demo` until the demo's panel is on screen (an X
#    server of this machine's, shared with the root). It must get there with
#    at most 250 MB of packages downloaded and without any test package.
# 2. The test command, `bash .ci/run`, which must pass: scripts/install-deps.sh
#    installs everything the build and the tests need.
#
# Needs root (mmdebstrap, mounts, chroot), Xvfb and xwininfo, and downloads
# about 215 MB for the first part and 470 MB more for the second from the
# Debian archive this machine's apt uses. --run-only stops after the first.
# Commit first: the clone takes the current commit.
#
#   sudo bash scripts/check-fresh.sh [--keep] [--run-only] [ROOT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"
source scripts/packages.sh
source tests/support/ownxvfb.sh

keep=0
run_only=0
while [ $# -gt 0 ]; do
    case "$1" in
        --keep) keep=1 ;;
        --run-only) run_only=1 ;;
        -*)
            echo "usage: scripts/check-fresh.sh [--keep] [--run-only] [ROOT_DIR]" >&2
            exit 2
            ;;
        *) break ;;
    esac
    shift
done
root="$(realpath -m "${1:-$(mktemp -d /var/tmp/tessik-fresh.XXXXXX)}")"

if [ "$(id -u)" -ne 0 ]; then
    echo "check-fresh: run as root (it builds a Debian root and chroots into it)" >&2
    exit 1
fi
tools=()
command -v mmdebstrap >/dev/null || tools+=(mmdebstrap)
command -v Xvfb >/dev/null || tools+=(xvfb)
command -v xwininfo >/dev/null || tools+=(x11-utils)
if [ ${#tools[@]} -gt 0 ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${tools[@]}"
fi

# The archive addresses come from apt's own configuration, nothing is named here.
sources=()
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -q '^[^#[:space:]]' "$f" && sources+=("$f")
done
[ ${#sources[@]} -gt 0 ] || { echo "check-fresh: apt has no sources" >&2; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
run_pid=""
cleanup() {
    for pid in $run_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    # Anything still running inside the root (a daemon a test left) keeps
    # its mounts busy.
    for p in /proc/[0-9]*; do
        if [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ]; then
            echo "check-fresh: ending leftover ${p#/proc/} ($(tr '\0' ' ' <"$p/cmdline" 2>/dev/null))"
            kill -9 "${p#/proc/}" 2>/dev/null || true
        fi
    done
    sleep 1
    for m in tmp/.X11-unix dev sys proc; do
        umount -R "$root/$m" 2>/dev/null || umount -R -l "$root/$m" 2>/dev/null || true
    done
    rm -rf "$work"
    if [ "$keep" -eq 0 ]; then
        rm -rf --one-file-system "$root" || true
    else
        echo "check-fresh: the root is kept in $root"
    fi
}
trap cleanup EXIT
fail() {
    echo "check-fresh: FAIL: $*" >&2
    exit 1
}

mmdebstrap --variant=apt --include=ca-certificates,git bookworm "$root" "${sources[@]}"
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone -q "$repo" "$root/root/tessik-control"
for m in proc sys dev; do
    mount --rbind "/$m" "$root/$m"
    mount --make-rslave "$root/$m"
done
in_root=(chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}"
         PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)

# downloaded: bytes of the packages apt has fetched into the root so far.
downloaded() {
    find "$root/var/cache/apt/archives" -maxdepth 1 -name '*.deb' -printf '%s\n' |
        awk '{ s += $1 } END { print s + 0 }'
}
mb() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1e6 }'; }

# 1. run.sh, on an X server of this machine's whose socket the root sees. The
# program's debug output is left off, as its menu entry does.
echo "check-fresh: bash scripts/run.sh --demo"
start_own_xvfb "$work" 1920x1080x24 || fail "no X server"
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
start=$(date +%s)
# run.sh ends by exec'ing the demo, so run_pid becomes the demo's.
"${in_root[@]}" DISPLAY="$DISPLAY" QT_LOGGING_RULES=default.debug=false \
    bash -c 'cd /root/tessik-control && exec bash scripts/run.sh --demo' >"$work/run.log" 2>&1 &
run_pid=$!
tail -n +1 -f --pid="$run_pid" "$work/run.log" &
tail_pid=$!

panel_shown() {
    local id
    for id in $(xwininfo -root -tree 2>/dev/null | awk '/"Bralm Tessik Control Panel"/ { print $1 }'); do
        xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable" && return 0
    done
    return 1
}
until panel_shown; do
    kill -0 "$run_pid" 2>/dev/null || { wait "$tail_pid"; fail "run.sh ended before the panel showed"; }
    [ $(($(date +%s) - start)) -lt 3600 ] || fail "no panel within an hour"
    sleep 1
done
run_seconds=$(($(date +%s) - start))
kill "$run_pid"
wait "$run_pid" 2>/dev/null || true
run_pid=""
wait "$tail_pid"
kill "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""
umount "$root/tmp/.X11-unix"

run_bytes=$(downloaded)
lists="$(sed -n 's/^Fetched \(.*\) in .*/\1/p' "$work/run.log" | head -n 1)"
echo "check-fresh: the demo's panel showed ${run_seconds} s after run.sh started," \
    "with $(mb "$run_bytes") of packages downloaded (and ${lists:-no} package lists)"

# No test package: none of the test group is installed, unless the build and
# run groups pulled it in as a dependency; and none of the big test tools at all.
installed="$("${in_root[@]}" dpkg-query -W -f='${db:Status-Status} ${Package}\n' |
    awk '$1 == "installed" { print $2 }')"
pulled="$("${in_root[@]}" apt-mark showauto)"
for p in "${test_packages[@]}"; do
    grep -qx -- "$p" <<<"$installed" || continue
    grep -qx -- "$p" <<<"$pulled" || fail "run.sh installed the test package $p"
    echo "check-fresh: $p, in the test group, came with the build packages"
done
big="$(grep -E '^(wine|gnome-shell$|weston$|lintian$|libbenchmark)|mingw' <<<"$installed" || true)"
[ -z "$big" ] || fail "run.sh installed test tools: $(tr "\n" " " <<<"$big")"
[ "$run_bytes" -le 250000000 ] || fail "run.sh downloaded $(mb "$run_bytes"), more than 250 MB"
echo "check-fresh: run.sh installed no test package"
[ "$run_only" -eq 0 ] || exit 0

# 2. The test command.
start=$(date +%s)
status=0
"${in_root[@]}" bash -c 'cd /root/tessik-control && bash .ci/run' || status=$?
echo "check-fresh: .ci/run in a fresh Debian 12 root ended with status $status" \
    "after $(($(date +%s) - start)) s, with $(mb $(($(downloaded) - run_bytes))) more packages downloaded"
exit "$status"
