#!/bin/busybox sh
# /init of the locked-down boot (rdinit=/lockdown-init): tr4410ctl check and write and the main
# window, as root.
. /init-common.sh
write_lock
echo "VMTEST boot"
echo "VMTEST lockdown $(cat /sys/kernel/security/lockdown)"
ctl check /card.json check
ctl write /card.json write --yes
export QT_QPA_PLATFORM=offscreen HOME=/tmp XDG_RUNTIME_DIR=/tmp
/bin/window_probe WRITE 2>/dev/null || echo "VMTEST window failed"
echo "VMTEST done"
sync
poweroff -f
