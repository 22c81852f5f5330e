#!/usr/bin/env bash
# The Linux side of a PC/104 stack, end to end on the real kernel: the board's COM1 at 0x3F8, IRQ 4
# (the console), a board UART the firmware put on ttyS4 at 0x2F0, IRQ 7 before the set-up runs,
# and two cards in /etc/tr4410/cards.d, each with eight ISA 16550 UARTs on its own IRQ. tr4410ctl
# runs in the VM with the real port-I/O library and port helper, and udev (the host's udevd) makes
# the stable names:
#   check   a card with port A at 0x3F8 overlaps COM1 (exit 6); the two cards pass (exit 0); the
#           two on one IRQ do not (exit 6);
#   apply   fails a port where no UART answers (exit 6); sets the 16 ports up on the lines tr4410ctl linux printed for such a machine, leaves
#           ttyS4 at 0x2F0 and says so, and a line written through each /dev/tr4410/<base>/<letter>
#           arrives in that port's own capture file, on the cards' IRQs;
#   test    all 16 ports pass and both IRQs count; a line polled (IRQ 0) and a line on the other
#           card's IRQ fail, naming the IRQs; a card file with port H where QEMU has no UART fails
#           that port, its address in the reason (exit 7).
# Exits 77 (skipped) where no VM can be run.
#
# usage: run_serial_vm_test.sh TR4410CTL INIT CACHE_DIR WORK_DIR LIBVANTO32 PORT_HELPER LIBDIR LIBEXECDIR
set -euo pipefail

ctl=$1 init=$2 cache=$3 work=$4 vanto32=$5 port_helper=$6 libdir=$7 libexecdir=$8
no_uart=0x280 # nothing answers there in QEMU's PC
letters=(A B C D E F G H)
bases=(300 310)
irqs=(5 10)
first=(0x100 0x108 0x110 0x118 0x120 0x128 0x130 0x138)
second=(0x180 0x188 0x190 0x198 0x1A0 0x1A8 0x1B0 0x1B8)

# skip, fail, check, run, vm_host (which sets qemu and busybox), vm_kernel, vm_fetch, vm_libraries,
# vm_root, vm_pack, vm_boot, vm_log
. "$(dirname "$0")/vm_kernel.sh"
vm_host

kernel=$(vm_kernel "$cache") || skip "no Debian cloud kernel package could be obtained (apt-get download linux-image-*-cloud-amd64)"
vm_fetch "$cache" setserial || skip "Debian's setserial package could not be obtained (apt-get download setserial)"
setserial=$cache/setserial/bin/setserial
[ -x "$setserial" ] || fail "the setserial package holds no bin/setserial"
udevadm=/bin/udevadm
[ -x "$udevadm" ] || skip "udevadm is not installed (package udev)"
echo "kernel: $kernel"

# --- the card files, and the set-up tr4410ctl linux prints for a machine like the VM ------------
rm -rf "$work"
mkdir -p "$work/setup" "$work/cards"
card() { # card FILE BASE IRQ ADDRESS...
    local file=$1 base=$2 irq=$3 ports="" i=0
    shift 3
    for address in "$@"; do
        ports+="\"${letters[$i]}\": \"$address\", "
        i=$((i + 1))
    done
    echo "{ \"version\": 1, \"controlBase\": \"0x$base\", \"ports\": { ${ports%, } }, \"irq\": $irq }" >"$file"
}
card "$work/cards/10-first.json" 300 5 "${first[@]}"
card "$work/cards/20-second.json" 310 10 "${second[@]}"
card "$work/card-one-irq.json" 310 5 "${second[@]}"
card "$work/card-com1.json" 300 5 0x3F8 "${first[@]:1}"
card "$work/card-no-uart.json" 300 5 "${first[@]:0:7}" "$no_uart"
system=$work/system # COM1 and the board's UART at 0x2F0; ttyS1 to ttyS3 empty
for line in 0:0x3F8:4:4 1:0x0:3:0 2:0x0:4:0 3:0x0:3:0 4:0x2F0:7:4; do
    IFS=: read -r n port irq type <<<"$line"
    mkdir -p "$system/sys/class/tty/ttyS$n"
    echo "$port" >"$system/sys/class/tty/ttyS$n/port"
    echo "$irq" >"$system/sys/class/tty/ttyS$n/irq"
    echo "$type" >"$system/sys/class/tty/ttyS$n/type"
done
TR4410_SYSTEM_ROOT=$system "$ctl" linux --card "$work/cards/10-first.json" --card "$work/cards/20-second.json" \
    --output "$work/setup" >/dev/null || fail "tr4410ctl linux failed"
parameter=$(cat "$work/setup/kernel-parameter.txt")
echo "kernel parameter: $parameter"
# "setserial /dev/ttyS5 port 0x100 ...": the line linux chose for each address.
declare -A line_of
while read -r _ device _ address _; do
    line_of[${address^^}]=${device#/dev/}
done < <(grep '^setserial ' "$work/setup/tr4410-setserial.sh")
[ "${#line_of[@]}" -eq 16 ] || fail "tr4410ctl linux does not set up 16 ports"

# --- the initramfs -----------------------------------------------------------------------------
root=$work/root
vm_root "$root"
cp "$setserial" "$root/bin/setserial"
cp "$init" "$root/init"
# tr4410ctl with the port-I/O library and the helper where an install puts them, and udev.
mkdir -p "$root/usr/$libdir" "$root$libexecdir/tr4410-settings" "$root/lib/systemd" "$root/etc/tr4410"
cp "$ctl" "$root/bin/tr4410ctl"
cp "$udevadm" "$root/bin/udevadm"
cp -L "$vanto32" "$root/usr/$libdir/libvanto32.so"
cp "$port_helper" "$root$libexecdir/tr4410-settings/tr4410-port-helper"
vm_libraries "$root" "$setserial" "$ctl" "$port_helper" "$udevadm"
chmod 755 "$root/init" "$root/bin/"*
cp -r "$work/cards" "$root/etc/tr4410/cards.d"
cp "$work/card-com1.json" "$work/card-one-irq.json" "$work/card-no-uart.json" "$root/"
: >"$root/names.txt"
uarts=()
for c in 0 1; do
    for i in "${!letters[@]}"; do
        port=${bases[$c]}${letters[$i]}
        [ "$c" -eq 0 ] && address=${first[$i]} || address=${second[$i]}
        echo "/dev/tr4410/${bases[$c]}/${letters[$i]}" >>"$root/names.txt"
        : >"$work/port$port.out"
        # QEMU takes a repeated index once iobase and irq are given.
        uarts+=(-chardev "file,id=port$port,path=$work/port$port.out"
            -device "isa-serial,index=$((i % 4)),iobase=$address,irq=${irqs[$c]},chardev=port$port")
    done
done
vm_pack "$root" "$work/initrd.gz"

# --- boot --------------------------------------------------------------------------------------
console=$work/console.log
status=0
# pnpacpi=off: the kernel takes only the standard COM ports for itself, as a PC/104 board's BIOS
# announces them; the cards' ports are set up by tr4410ctl apply.
vm_boot "$console" 300 "" "$qemu" -m 512 -nographic -no-reboot -monitor none -nic none \
    -kernel "$kernel" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 $parameter panic=-1 quiet loglevel=3 pnpacpi=off" \
    -serial stdio "${uarts[@]}" || status=$?
vm_log "$console" "$status"

# --- verdict -----------------------------------------------------------------------------------
check "the kernel ran with $parameter" 'grep -q "^VMTEST cmdline .*$parameter" <<<"$log"'
check "udevd runs in the VM" 'grep -qx "VMTEST udevd started" <<<"$log"'
check "the board's UART is ttyS4 at 0x2F0 before the set-up" \
    'grep -Eq "^VMTEST board /dev/ttyS4, UART: 16550A, Port: 0x02f0, IRQ: 7$" <<<"$log"'
check "check: port A at 0x3F8 overlaps the board's COM1 (exit 6)" \
    'run check-com1 | grep -qx "problem: port A at 0x3F8 overlaps ttyS0, the board.s own serial port, IRQ 4: turn COM1 off in the firmware set-up or choose another address" && run check-com1 | grep -qx "exit 6"'
check "check: the two cards pass (exit 0)" 'run check-good | grep -qx "exit 0"'
check "check: two cards on one IRQ are a problem (exit 6)" 'run check-one-irq | grep -qx "exit 6"'
check "apply: port H at $no_uart is not set up, the reason says why (exit 6)" \
    'run apply-no-uart | grep -qx "tr4410ctl: port H of /card-no-uart.json is not set up: no UART answers at $no_uart (/dev/${line_of[0X138]}): check the card.s jumpers and its port addresses (tr4410ctl write)" && run apply-no-uart | grep -qx "exit 6"'
check "apply: done (exit 0)" 'run apply | grep -qx "exit 0"'
check "apply: ttyS4 is passed over and said so" \
    'run apply | grep -qx "ttyS4 is a UART at 0x2F0 already (not a TR-4410 port): left as it is"'
check "apply: ttyS4 still points at 0x2F0, IRQ 7" \
    'grep -Eq "^VMTEST board-after /dev/ttyS4, UART: 16550A, Port: 0x02f0, IRQ: 7$" <<<"$log"'
check "apply: /run/tr4410/ports.json is there, mode 644" 'grep -qx "VMTEST ports.json mode 644" <<<"$log"'
for c in 0 1; do
    base=${bases[$c]} irq=${irqs[$c]}
    for i in "${!letters[@]}"; do
        letter=${letters[$i]}
        [ "$c" -eq 0 ] && address=${first[$i]} || address=${second[$i]}
        line=${line_of[${address^^}]}
        file=/etc/tr4410/cards.d/$([ "$c" -eq 0 ] && echo 10-first || echo 20-second).json
        check "apply: port $letter of $base at $address, IRQ $irq is $line, as linux said" \
            'run apply | grep -qx "$file port $letter at $address, IRQ $irq: $line /dev/tr4410/$base/$letter"'
        got=$(tr -d '\r' <"$work/port$base$letter.out")
        check "the line written to /dev/tr4410/$base/$letter ($line) arrived in its own capture file" \
            '[ "$got" = "TR-4410 port /dev/tr4410/$base/$letter" ] && grep -qx "VMTEST wrote /dev/tr4410/$base/$letter /dev/$line" <<<"$log"'
    done
    # The lines went out on the card's interrupt, not by polling.
    count() { sed -n "s/^VMTEST interrupts $1 *$irq: *\([0-9]*\) .*/\1/p" <<<"$log"; }
    before=$(count before) after=$(count after)
    check "IRQ $irq counted the writes' interrupts (${before:-?} before, ${after:-?} after)" \
        '[ -n "$after" ] && [ "$after" -gt "${before:-0}" ]'
    counted=$(run test-good | sed -n "s/^IRQ $irq counted \([0-9]*\) interrupts.*/\1/p")
    check "test: IRQ $irq counted during the test (${counted:-?} interrupts)" '[ "${counted:-0}" -gt 0 ]'
done
check "test: all 16 ports pass (exit 0)" \
    '[ "$(run test-good | grep -Ec " pass$")" -eq 16 ] && run test-good | grep -qx "exit 0"'
b=${line_of[0X108]} c=${line_of[0X190]}
check "test: the polled line and the line on the other card's IRQ fail, the other 14 pass (exit 7)" \
    'run test-irq | grep -q "FAIL: $b at 0x108 has IRQ 0, the card IRQ 5" && run test-irq | grep -q "FAIL: $c at 0x190 has IRQ 5, the card IRQ 10" && [ "$(run test-irq | grep -Ec " pass$")" -eq 14 ] && run test-irq | grep -qx "exit 7"'
check "test: port H at $no_uart fails with its address in the reason (exit 7)" \
    'run test-no-uart | grep -Eq "^H +$no_uart .* 0x300  .*FAIL: .*$no_uart" && run test-no-uart | grep -qx "exit 7"'
if [ "$errors" -ne 0 ]; then
    grep -E "^VMTEST (check|apply|test)" <<<"$log" || true
fi
[ "$errors" -eq 0 ] || fail "$errors check(s) failed"
echo "all serial VM checks passed"
