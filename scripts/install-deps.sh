#!/usr/bin/env bash
# Installs what Airlume needs to build, run and test on Debian 12.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-multimedia-dev libgl-dev fonts-liberation2
    libqcustomplot-dev
    libnl-genl-3-dev libnl-3-dev ieee-data
    iputils-ping # the connection test runs ping
    clang libclang-rt-14-dev libbenchmark-dev
)
[ "${1:-}" = "--test" ] && packages+=(xvfb xauth imagemagick dbus python3-dbusmock)
# The Wi-Fi lab of tests/hwsim: Debian's kernel with mac80211_hwsim, qemu, the access point
# and station tools, and what builds the guest's initramfs.
[ "${1:-}" = "--test" ] && packages+=(linux-image-amd64 qemu-system-x86 hostapd iw wpasupplicant
    busybox-static cpio kmod iproute2 xz-utils zstd wireless-regdb file python3)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
