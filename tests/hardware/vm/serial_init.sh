#!/bin/busybox sh
# /init of the serial-port VM: applies the generated setserial lines, writes one line to each of
# the card's eight ports, shows the shared IRQ's count, and powers the VM off.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
echo "VMTEST boot"
echo "VMTEST cmdline $(cat /proc/cmdline)"
while read -r line; do
    # shellcheck disable=SC2086 # the generated line is a command with its arguments
    if out=$($line 2>&1); then echo "VMTEST applied $line"; else echo "VMTEST failed $line: $out"; fi
done </setup.txt
while read -r letter device; do
    echo "VMTEST setserial $letter $(setserial -g "$device" 2>&1)"
done </ports.txt
grep -E '^ *[0-9]+:' /proc/interrupts | awk '{ printf "VMTEST interrupts before %s\n", $0 }'
while read -r letter device; do
    # A write whose transmit interrupt never comes would hang in close(): give up after 10 s.
    if timeout 10 sh -c "printf 'TR-4410 port %s on %s\n' '$letter' '$device' >'$device'"; then
        echo "VMTEST wrote $letter $device"
    else
        echo "VMTEST write timed out $letter $device"
    fi
done </ports.txt
grep -E '^ *[0-9]+:' /proc/interrupts | awk '{ printf "VMTEST interrupts after %s\n", $0 }'
echo "VMTEST done"
sync
poweroff -f
