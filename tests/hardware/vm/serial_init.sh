#!/bin/busybox sh
# /init of the serial-port VM: checks two card files with tr4410ctl, applies the generated
# setserial lines, writes one line to each of the card's eight ports, shows the shared IRQ's count,
# tests the ports with tr4410ctl, then again with one port where no UART is, and powers off.
. /init-common.sh
write_lock
echo "VMTEST boot"
echo "VMTEST cmdline $(cat /proc/cmdline)"
ctl check-com1 /card-com1.json check
ctl check-good /card.json check
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
ctl test-good /card.json test
while read -r line; do
    # shellcheck disable=SC2086 # as above
    $line >/dev/null 2>&1 || echo "VMTEST failed $line"
done </setup-no-uart.txt
ctl test-no-uart /card-no-uart.json test
echo "VMTEST done"
sync
poweroff -f
