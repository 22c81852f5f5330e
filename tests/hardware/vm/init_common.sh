# Sourced first by the /init of every test VM (the initramfs holds it as /init-common.sh): busybox's
# commands, the kernel's file systems and a /tmp that any user may write.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t securityfs securityfs /sys/kernel/security
mkdir -p /tmp && chmod 1777 /tmp

# write_lock: the write lock, as the package makes it at every start.
write_lock() {
    mkdir -p /run/tr4410 && : >/run/tr4410/write.lock
}

# ctl NAME CARD COMMAND...: runs tr4410ctl, its output and exit code on the console as "VMTEST NAME";
# an empty CARD gives no --card, so the cards folder counts.
ctl() {
    name=$1 card=$2
    shift 2
    if [ -n "$card" ]; then set -- "$@" --card "$card"; fi
    tr4410ctl "$@" >/tmp/ctl.out 2>&1
    echo "exit $?" >>/tmp/ctl.out
    sed "s/^/VMTEST $name /" /tmp/ctl.out
}
