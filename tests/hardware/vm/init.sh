#!/bin/busybox sh
# /init of the test VM: runs the port probe as root, as an unprivileged user, and as that user
# with the port capability on the probe file, then powers the VM off.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
echo "VMTEST boot"
/bin/port_probe ROOT || echo "VMTEST probe failed as root"
/bin/vm_helper as 1000 /bin/port_probe USER || echo "VMTEST probe failed as user"
cp /bin/port_probe /bin/port_probe_caps
chmod 755 /bin/port_probe_caps
if /bin/vm_helper setcap /bin/port_probe_caps; then
    /bin/vm_helper as 1000 /bin/port_probe_caps CAPS || echo "VMTEST probe failed with capability"
fi
echo "VMTEST done"
sync
poweroff -f
