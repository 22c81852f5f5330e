#!/bin/busybox sh
# /init of the lockdown VM: tr4410ctl check and write and the main window, as root.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t securityfs securityfs /sys/kernel/security
mkdir -p /tmp && chmod 1777 /tmp
mkdir -p /run/tr4410 && : >/run/tr4410/write.lock # as the package makes it
echo "VMTEST boot"
echo "VMTEST lockdown $(cat /sys/kernel/security/lockdown)"
for command in check "write --yes"; do
    tr4410ctl $command --card /card.json >/tmp/ctl.out 2>&1
    echo "exit $?" >>/tmp/ctl.out
    sed "s/^/VMTEST ${command%% *} /" /tmp/ctl.out
done
export QT_QPA_PLATFORM=offscreen HOME=/tmp XDG_RUNTIME_DIR=/tmp
/bin/window_probe WRITE 2>/dev/null || echo "VMTEST window failed"
echo "VMTEST done"
sync
poweroff -f
