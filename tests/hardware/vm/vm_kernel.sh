# Sourced by the VM tests: Debian packages fetched with `apt-get download` and unpacked into the
# test's cache folder, never installed on the machine.

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
