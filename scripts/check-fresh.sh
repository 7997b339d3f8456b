#!/usr/bin/env bash
# Runs the README's test command (.ci/run) from a fresh clone inside a
# minimal Debian 12 root that has nothing of this machine installed, to prove
# that scripts/install-deps.sh installs everything the build and the tests
# need. Needs root (mmdebstrap, mounts, chroot) and downloads about 700 MB
# from the Debian archive this machine's apt uses. Commit first: the clone
# takes the current commit.
#
#   sudo bash scripts/check-fresh.sh [--keep] [ROOT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"

keep=0
if [ "${1:-}" = "--keep" ]; then
    keep=1
    shift
fi
root="$(realpath -m "${1:-$(mktemp -d /var/tmp/tessik-fresh.XXXXXX)}")"

if [ "$(id -u)" -ne 0 ]; then
    echo "check-fresh: run as root (it builds a Debian root and chroots into it)" >&2
    exit 1
fi
if ! command -v mmdebstrap >/dev/null; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends mmdebstrap
fi

# The archive addresses come from apt's own configuration, nothing is named here.
sources=()
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -q '^[^#[:space:]]' "$f" && sources+=("$f")
done
[ ${#sources[@]} -gt 0 ] || { echo "check-fresh: apt has no sources" >&2; exit 1; }

cleanup() {
    # Anything still running inside the root (a daemon a test left) keeps
    # its mounts busy.
    for p in /proc/[0-9]*; do
        if [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ]; then
            echo "check-fresh: ending leftover ${p#/proc/} ($(tr '\0' ' ' <"$p/cmdline" 2>/dev/null))"
            kill -9 "${p#/proc/}" 2>/dev/null || true
        fi
    done
    sleep 1
    for m in dev sys proc; do
        umount -R "$root/$m" 2>/dev/null || umount -R -l "$root/$m" 2>/dev/null || true
    done
    if [ "$keep" -eq 0 ]; then
        rm -rf --one-file-system "$root" || true
    else
        echo "check-fresh: the root is kept in $root"
    fi
}
trap cleanup EXIT

mmdebstrap --variant=apt --include=ca-certificates,git bookworm "$root" "${sources[@]}"
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone -q "$repo" "$root/root/tessik-control"
for m in proc sys dev; do
    mount --rbind "/$m" "$root/$m"
    mount --make-rslave "$root/$m"
done

start=$(date +%s)
status=0
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /root/tessik-control && bash .ci/run' || status=$?
echo "check-fresh: .ci/run in a fresh Debian 12 root ended with status $status" \
    "after $(($(date +%s) - start)) s"
exit "$status"
