#!/bin/busybox sh
# /init of the serial-port VM, a PC/104 stack: the board's COM1 (the console) and its UART at
# 0x2F0 on ttyS4, set up as the firmware would before the set-up runs, and two cards. Starts udev,
# checks the card files, runs tr4410ctl apply for a card with a port where no UART is, then as the
# unit does, writes one line through each
# stable name, tests the ports, then again with two lines on the wrong IRQ and with a card file
# whose port H has no UART, and powers off.
. /init-common.sh
write_lock
echo "VMTEST boot"
echo "VMTEST cmdline $(cat /proc/cmdline)"
ln -s /bin/udevadm /lib/systemd/systemd-udevd
if /lib/systemd/systemd-udevd --daemon --resolve-names=never >/tmp/udevd.log 2>&1; then
    echo "VMTEST udevd started"
else
    echo "VMTEST udevd failed: $(cat /tmp/udevd.log)"
fi
# Lines past ttyS3 start with baud base 0, which the driver refuses.
setserial /dev/ttyS4 port 0x2F0 irq 7 uart 16550A baud_base 115200 2>&1 | sed 's/^/VMTEST board setserial /'
echo "VMTEST board $(setserial -g /dev/ttyS4 2>&1)"
ctl check-com1 /card-com1.json check
ctl check-good "" check
ctl check-one-irq "" check --card /etc/tr4410/cards.d/10-first.json --card /card-one-irq.json
# A port where no UART answers is told of, the others set up; then the stack as the unit does.
ctl apply-no-uart /card-no-uart.json apply
ctl apply "" apply
echo "VMTEST board-after $(setserial -g /dev/ttyS4 2>&1)"
echo "VMTEST ports.json mode $(stat -c %a /run/tr4410/ports.json 2>&1)"
grep -E '^ *[0-9]+:' /proc/interrupts | awk '{ printf "VMTEST interrupts before %s\n", $0 }'
while read -r name; do
    # A write whose transmit interrupt never comes would hang in close(): give up after 10 s.
    if timeout 10 sh -c "printf 'TR-4410 port %s\n' '$name' >'$name'"; then
        echo "VMTEST wrote $name $(readlink -f "$name")"
    else
        echo "VMTEST write failed $name"
    fi
done </names.txt
grep -E '^ *[0-9]+:' /proc/interrupts | awk '{ printf "VMTEST interrupts after %s\n", $0 }'
ctl test-good "" test
# A line polled (IRQ 0) and a line on the other card's IRQ: each must fail, naming both IRQs.
setserial "$(readlink -f /dev/tr4410/300/B)" irq 0 2>&1 | sed 's/^/VMTEST irq setserial /'
setserial "$(readlink -f /dev/tr4410/310/C)" irq 5 2>&1 | sed 's/^/VMTEST irq setserial /'
ctl test-irq "" test
ctl test-no-uart /card-no-uart.json test
echo "VMTEST done"
sync
poweroff -f
