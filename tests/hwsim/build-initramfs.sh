#!/bin/bash
# build-initramfs.sh OUT CLI [GUEST_DIR] - a small initramfs for the hwsim test:
# busybox-static, the mac80211_hwsim module closure (decompressed, re-indexed),
# the regulatory database, hostapd, hostapd_cli, iw, wpa_supplicant, wpa_cli,
# iproute2's ip, airlume-cli and its NetworkManager plugin, every shared library those
# need (from ldd), and the guest scripts. The kernel version goes to OUT.kver.
set -euo pipefail

OUT=${1:?usage: build-initramfs.sh OUT CLI [GUEST_DIR]}
CLI=${2:?usage: build-initramfs.sh OUT CLI [GUEST_DIR]}
GUEST=${3:-$(cd "$(dirname "$0")" && pwd)/guest}
die() { echo "build-initramfs: $*" >&2; exit 1; }

for tool in cpio gzip depmod modprobe ldd ldconfig busybox xz zstd; do
    command -v "$tool" >/dev/null || die "missing host tool $tool (scripts/install-deps.sh --test)"
done
KVER=""
for d in $(ls -d /lib/modules/*/ 2>/dev/null | sort -V -r); do
    v=$(basename "$d")
    if modprobe -S "$v" --show-depends mac80211_hwsim >/dev/null 2>&1 && [ -r "/boot/vmlinuz-$v" ]; then
        KVER=$v; break
    fi
done
[ -n "$KVER" ] || die "no kernel with mac80211_hwsim and /boot/vmlinuz (apt-get install linux-image-amd64)"

STAGE=$(mktemp -d /tmp/airlume-hwsim.XXXXXX)
trap 'rm -rf "$STAGE"' EXIT
chmod 755 "$STAGE" # the guest's / : the unprivileged user must reach /bin
# Merged /usr like the host, so the paths ldd prints resolve in the guest.
mkdir -p "$STAGE"/{usr/bin,usr/sbin,usr/lib,usr/lib64,proc,sys,dev,run,tmp,etc,root,var,home}
ln -s usr/bin "$STAGE/bin"; ln -s usr/sbin "$STAGE/sbin"
ln -s usr/lib "$STAGE/lib"; ln -s usr/lib64 "$STAGE/lib64"
ln -s ../run "$STAGE/var/run"

copy() { # copy SRC DST (dereferenced)
    mkdir -p "$(dirname "$STAGE$2")"; rm -f "$STAGE$2"; cp -L "$1" "$STAGE$2"
}
copy_elf() { # the ELF at its own path plus every library ldd names
    local out lib
    copy "$1" "$1"
    out=$(ldd "$1" 2>&1) || true
    ! grep -q 'not found' <<<"$out" || die "unresolved libraries of $1: $(grep 'not found' <<<"$out")"
    for lib in $(awk '$2=="=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}' <<<"$out"); do
        [ -e "$STAGE$lib" ] || copy "$lib" "$lib"
    done
}

copy "$(command -v busybox)" /usr/bin/busybox
for applet in $(busybox --list-full); do
    applet=/${applet#/}
    case $applet in /bin/*|/sbin/*) applet=/usr$applet ;; esac
    [ -e "$STAGE$applet" ] || [ -L "$STAGE$applet" ] || ln -s /usr/bin/busybox "$STAGE$applet"
done
for b in hostapd hostapd_cli iw wpa_supplicant wpa_cli ip; do
    p=$(command -v "$b") || die "missing $b (apt-get install hostapd iw wpasupplicant iproute2)"
    case $p in /bin/*|/sbin/*) p=/usr$p ;; esac
    copy_elf "$p"
done
copy "$CLI" /usr/bin/airlume-cli
# The NetworkManager plugin, where an installed airlume-cli looks for it, with QtDBus under it.
PLUGIN=$(dirname "$CLI")/../scan/networkmanager/airlume-networkmanager.so
[ -e "$PLUGIN" ] || die "no NetworkManager plugin beside the build of $CLI ($PLUGIN)"
copy "$PLUGIN" /usr/lib/airlume/airlume-networkmanager.so
for elf in "$CLI" "$PLUGIN"; do
    out=$(ldd "$elf") || die "ldd $elf failed"
    ! grep -q 'not found' <<<"$out" || die "unresolved libraries of $elf"
    for lib in $(awk '$2=="=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}' <<<"$out"); do
        [ -e "$STAGE$lib" ] || copy "$lib" "$lib"
    done
done

# mac80211_hwsim and the crypto modules mac80211 loads for CCMP/GCMP/BIP.
mods=$(for m in mac80211_hwsim ccm gcm cmac ctr ghash_generic aesni_intel seqiv ecb; do
    modprobe -S "$KVER" --show-depends "$m" 2>/dev/null | awk '$1=="insmod"{print $2}' || true
done | sort -u)
grep -q mac80211_hwsim <<<"$mods" || die "mac80211_hwsim not found for $KVER"
for ko in $mods; do
    dst=$STAGE/usr/lib/modules/$KVER/${ko#*/lib/modules/$KVER/}
    mkdir -p "$(dirname "$dst")"
    case $ko in
        *.ko.xz) xz -dc "$ko" >"${dst%.xz}" ;;
        *.ko.zst) zstd -qdc "$ko" >"${dst%.zst}" ;;
        *.ko.gz) gzip -dc "$ko" >"${dst%.gz}" ;;
        *) cp "$ko" "$dst" ;;
    esac
done
for f in modules.order modules.builtin modules.builtin.modinfo; do
    [ -e "/lib/modules/$KVER/$f" ] && cp "/lib/modules/$KVER/$f" "$STAGE/usr/lib/modules/$KVER/"
done
depmod -b "$STAGE" "$KVER"

# Country DE (5 and 6 GHz) needs the signed regulatory database.
for f in regulatory.db regulatory.db.p7s; do
    [ -e "/lib/firmware/$f" ] || die "/lib/firmware/$f missing (apt-get install wireless-regdb)"
    copy "/lib/firmware/$f" "/usr/lib/firmware/$f"
done

cp "$GUEST/init" "$STAGE/init"; chmod 755 "$STAGE/init"
mkdir -p "$STAGE/lab"; cp -a "$GUEST"/. "$STAGE/lab/"; rm -f "$STAGE/lab/init"
chmod 755 "$STAGE"/lab/*.sh

# root, and an ordinary user for the unprivileged run.
printf '%s\n' 'root:x:0:0:root:/root:/bin/sh' 'scanner:x:1000:1000:scanner:/home/scanner:/bin/sh' \
    >"$STAGE/etc/passwd"
printf '%s\n' 'root:x:0:' 'scanner:x:1000:' >"$STAGE/etc/group"
printf '%s\n' /usr/lib/x86_64-linux-gnu /usr/local/lib >"$STAGE/etc/ld.so.conf"
ldconfig -r "$STAGE" 2>/dev/null || true

mkdir -p "$(dirname "$OUT")"
(cd "$STAGE" && find . -print0 | LC_ALL=C sort -z | cpio --null -o -H newc --quiet) | gzip -1 >"$OUT.tmp"
mv "$OUT.tmp" "$OUT"
echo "$KVER" >"$OUT.kver"
echo "build-initramfs: $OUT ($(du -h "$OUT" | cut -f1), kernel $KVER)"
