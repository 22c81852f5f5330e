#!/bin/sh
# systemd's own check of the unit that tr4410ctl linux --output writes; skipped (77) without
# systemd-analyze or udevadm. The unit runs the installed tr4410ctl (BINDIR), which is checked to be
# the one ExecStart; systemd then verifies a copy that runs the program just built.
# usage: verify_unit.sh TR4410CTL BINDIR WORK_DIR
set -eu
ctl=$1 bindir=$2 work=$3
for program in systemd-analyze /bin/udevadm; do
    command -v "$program" >/dev/null || { echo "SKIP: $program is not installed (systemd, udev)"; exit 77; }
done
"$ctl" linux --ports 3F8,2F8,100,108,110,118,120,128 --irq 5 --output "$work" >/dev/null
unit=$work/tr4410-serial.service
[ "$(grep '^Exec' "$unit")" = "ExecStart=$bindir/tr4410ctl apply" ] || {
    echo "FAIL: the unit's one command is not $bindir/tr4410ctl apply:"
    grep '^Exec' "$unit"
    exit 1
}
mkdir -p "$work/built"
sed "s|^ExecStart=$bindir/tr4410ctl |ExecStart=$ctl |" "$unit" >"$work/built/tr4410-serial.service"
# The manual page it names comes with the package, not with the build tree.
systemd-analyze verify --man=no "$work/built/tr4410-serial.service"
