#!/usr/bin/env bash
# Lets root and the members of the group tr4410 write to the card from a build tree, as the
# package does for an install: the build tree's port helper becomes root:tr4410, mode 0750, and
# gets cap_sys_rawio (in that order: nobody else may run it with the capability, not even for a
# moment), and the write lock /run/tr4410/write.lock is made as the package's tmpfiles.d entry
# makes it (until the next reboot).
#
#   sudo scripts/grant-port-access.sh [BUILD_DIR]           # default: build
#   sudo scripts/grant-port-access.sh --revoke [BUILD_DIR]  # take the capability back
set -euo pipefail

revoke=0
if [ "${1:-}" = --revoke ]; then
    revoke=1
    shift
fi
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
helper=$build/hardware/helper/tr4410-port-helper
[ -f "$helper" ] || {
    echo "$0: no port helper at $helper: build first" >&2
    exit 1
}
[ "$(id -u)" -eq 0 ] || {
    echo "$0: run this as root (sudo)" >&2
    exit 1
}

if [ "$revoke" -eq 1 ]; then
    setcap -r "$helper" 2>/dev/null || true
    chown root:root "$helper"
    chmod 0755 "$helper"
    echo "$helper: no capability, root:root 0755"
    exit 0
fi

getent group tr4410 >/dev/null || addgroup --system --quiet tr4410
chown root:tr4410 "$helper"
chmod 0750 "$helper"
setcap cap_sys_rawio+ep "$helper"
systemd-tmpfiles --create "$top/debian/tr4410-settings.tmpfiles"
echo "$helper: root:tr4410 0750, $(getcap "$helper" | cut -d' ' -f2-); lock: $(stat -c '%U:%G %a' /run/tr4410/write.lock)"
echo "Members of tr4410 (sudo adduser USER tr4410, then log in again) may now write to the card."
