# Sourced by the VM tests: verdicts, the initramfs and the boot. Debian packages are fetched with
# `apt-get download` and unpacked into the test's cache folder, never installed on the machine.

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    exit 1
}

# check NAME CONDITION: one verdict line; errors counts the failed ones.
errors=0
check() {
    if eval "$2"; then echo "ok   - $1"; else
        echo "FAIL - $1"
        errors=$((errors + 1))
    fi
}

# vm_libraries ROOT FILE...: puts the shared libraries the files need into ROOT, each at the path
# ldd found it; libvanto32 is left out, each test puts its own copy in place.
vm_libraries() {
    local root=$1 lib
    shift
    for binary in "$@"; do
        ldd "$binary" | awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\// { print $1 }'
    done | sort -u | grep -v '/libvanto32\.so$' | while read -r lib; do
        mkdir -p "$root$(dirname "$lib")"
        cp -L "$lib" "$root$lib"
    done
}

# vm_host: skips unless this machine can boot the test VM; sets qemu and busybox (static, for the
# initramfs).
vm_host() {
    [ "$(uname -m)" = x86_64 ] || skip "needs an x86-64 host"
    qemu=$(command -v qemu-system-x86_64) || skip "qemu-system-x86_64 is not installed (package qemu-system-x86)"
    busybox=/bin/busybox
    [ -x "$busybox" ] && ! ldd "$busybox" >/dev/null 2>&1 || skip "a static /bin/busybox is needed (package busybox-static)"
    command -v cpio >/dev/null || skip "cpio is not installed"
}

# vm_unpack CACHE PACKAGE [PATH]: unpacks PACKAGE (only PATH of it, if given) into CACHE/PACKAGE
# unless it is there already.
vm_unpack() {
    local cache=$1 name=$2 part=${3:-.} deb
    [ -d "$cache/$name" ] && return 0
    mkdir -p "$cache/download"
    (cd "$cache/download" && apt-get download "$name" >/dev/null 2>&1) || return 1
    deb=$(ls "$cache/download/${name}"_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || return 1
    rm -rf "$cache/$name.tmp"
    mkdir -p "$cache/$name.tmp"
    dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$cache/$name.tmp" "$part" || return 1
    mv "$cache/$name.tmp" "$cache/$name"
    rm -f "$deb"
}

# vm_fetch CACHE PACKAGE [PATH]: vm_unpack, refreshing the package lists once where we may (they
# may be missing or stale).
vm_fetch() {
    vm_unpack "$@" && return 0
    [ "$(id -u)" -eq 0 ] || return 1
    apt-get update >/dev/null 2>&1 || true
    vm_unpack "$@"
}

# vm_kernel CACHE: prints the path of Debian's cloud kernel image (only the image, not the modules).
vm_kernel() {
    local cache=$1 kernel name
    mkdir -p "$cache"
    kernel=$(find "$cache" -path '*/boot/vmlinuz-*' -type f 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$kernel" ]; then
        name=$(apt-cache depends linux-image-cloud-amd64 2>/dev/null |
            awk '/Depends: linux-image-[0-9]/ { print $2; exit }')
        if [ -z "$name" ] && [ "$(id -u)" -eq 0 ]; then
            apt-get update >/dev/null 2>&1 || true
            name=$(apt-cache depends linux-image-cloud-amd64 2>/dev/null |
                awk '/Depends: linux-image-[0-9]/ { print $2; exit }')
        fi
        [ -n "$name" ] || return 1
        vm_fetch "$cache" "$name" ./boot || return 1
        kernel=$(find "$cache" -path '*/boot/vmlinuz-*' -type f 2>/dev/null | sort -V | tail -n 1)
    fi
    [ -n "$kernel" ] || return 1
    echo "$kernel"
}

# vm_boot CONSOLE LIMIT FRESH QEMU [ARGUMENT...]: runs QEMU with the arguments (all but -accel),
# under KVM where this user may and under TCG otherwise, its output in CONSOLE, for at most LIMIT
# seconds. A VM whose init has not said "VMTEST boot" in time is stopped early (nested KVM can
# hang silently right after the kernel is unpacked) and, under KVM, started again under TCG. FRESH
# names a file emptied before every start, or is empty. Returns QEMU's status.
vm_boot() {
    local console=$1 limit=$2 fresh=$3 accel=tcg started=$SECONDS status=0
    shift 3
    if [ -r /dev/kvm ] && [ -w /dev/kvm ]; then
        accel=kvm
    fi
    echo "booting with $accel"
    vm_boot_once "$console" "$limit" "$fresh" "$accel" "$([ "$accel" = kvm ] && echo 20 || echo 90)" "$@" ||
        status=$?
    if [ "$accel" = kvm ] && ! grep -q "VMTEST boot" "$console"; then
        echo "the VM did not start under KVM, using TCG"
        status=0
        vm_boot_once "$console" "$limit" "$fresh" tcg 90 "$@" || status=$?
    fi
    echo "VM run took $((SECONDS - started)) s"
    return "$status"
}

# vm_boot_once CONSOLE LIMIT FRESH ACCEL BOOT_SECONDS QEMU [ARGUMENT...]
vm_boot_once() {
    local console=$1 limit=$2 fresh=$3 accel=$4 ticks=$(($5 * 10)) pid
    shift 5
    [ -z "$fresh" ] || : >"$fresh"
    local qemu=$1
    shift
    timeout "$limit" "$qemu" -accel "$accel" "$@" </dev/null >"$console" 2>&1 &
    pid=$!
    while [ "$ticks" -gt 0 ] && kill -0 "$pid" 2>/dev/null && ! grep -q "VMTEST boot" "$console"; do
        sleep 0.1
        ticks=$((ticks - 1))
    done
    if ! grep -q "VMTEST boot" "$console" && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
    fi
    wait "$pid"
}

# vm_root ROOT: a fresh initramfs tree with busybox and the piece every /init sources first.
vm_root() {
    rm -rf "$1"
    mkdir -p "$1"/{bin,proc,sys,dev}
    cp "$busybox" "$1/bin/busybox"
    cp "$(dirname "${BASH_SOURCE[0]}")/init_common.sh" "$1/init-common.sh"
}

# vm_pack ROOT INITRD: packs the tree into a compressed initramfs.
vm_pack() {
    (cd "$1" && find . | cpio -o -H newc -R 0:0 --quiet) | gzip -1 >"$2"
}

# vm_log CONSOLE STATUS: shows the init's lines of the console, fails unless the VM finished (QEMU
# returned STATUS) and sets log to the console's text.
vm_log() {
    tr -d '\r' <"$1" | grep -aE "^(VMTEST|VMHELPER|PROBE|HAND|NOLOCK|WINDOW)" || true
    grep -q "VMTEST done" "$1" || {
        tail -n 40 "$1"
        fail "the VM did not finish (qemu status $2)"
    }
    log=$(tr -d '\r' <"$1")
}

# run NAME: what the init's ctl NAME printed (see init_common.sh).
run() { sed -n "s/^VMTEST $1 //p" <<<"$log"; }
