#!/bin/sh
# systemd's own check of the boot-time unit that tr4410ctl linux --output writes. Skipped (77)
# where systemd-analyze, or the programs the unit runs, are not installed.
# usage: verify_unit.sh TR4410CTL WORK_DIR
set -eu
ctl=$1 work=$2
command -v systemd-analyze >/dev/null || { echo "SKIP: systemd-analyze is not installed (package systemd)"; exit 77; }
for program in /bin/setserial /bin/udevadm; do
    [ -x "$program" ] || { echo "SKIP: $program is not installed (packages setserial, udev)"; exit 77; }
done
rm -rf "$work"
"$ctl" linux --ports 3F8,2F8,100,108,110,118,120,128 --irq 5 --output "$work" >/dev/null
systemd-analyze verify "$work/tr4410-serial.service"
echo "systemd-analyze verify accepts the unit"
