#!/bin/sh
# systemd's own check of the unit that tr4410ctl linux --output writes; skipped (77) without
# systemd-analyze or the programs the unit runs. usage: verify_unit.sh TR4410CTL WORK_DIR
set -eu
for program in systemd-analyze /bin/setserial /bin/udevadm; do
    command -v "$program" >/dev/null || { echo "SKIP: $program is not installed (systemd, setserial, udev)"; exit 77; }
done
"$1" linux --ports 3F8,2F8,100,108,110,118,120,128 --irq 5 --output "$2" >/dev/null
systemd-analyze verify "$2/tr4410-serial.service"
