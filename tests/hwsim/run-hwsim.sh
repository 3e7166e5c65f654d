#!/bin/bash
# run-hwsim.sh [--cli PATH | --build DIR] [--out DIR] [--timeout S]
# Boots Debian's kernel under qemu with an initramfs holding mac80211_hwsim, hostapd,
# wpa_supplicant and airlume-cli, runs guest/scenario.sh and checks its results with
# check-results.py. Without --cli it builds airlume-cli in a Release build of its own in
# DIR (default build-hwsim; no sanitizers: the guest has little memory and an emulated CPU).
# Exit status 0 only when the guest passed and every check holds.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=$ROOT/build-hwsim/hwsim
CLI=""
BUILD=$ROOT/build-hwsim
TIMEOUT=400

while [ $# -gt 0 ]; do
    case $1 in
        --cli) CLI=$2; shift 2 ;;
        --build) BUILD=$2; shift 2 ;;
        --out) OUT=$2; shift 2 ;;
        --timeout) TIMEOUT=$2; shift 2 ;;
        *) echo "run-hwsim: unknown argument $1" >&2; exit 2 ;;
    esac
done
die() { echo "run-hwsim: FAIL: $*" >&2; exit 1; }
command -v qemu-system-x86_64 >/dev/null || die "qemu-system-x86_64 missing (scripts/install-deps.sh --test)"
mkdir -p "$OUT"

elapsed() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }
t0=$EPOCHREALTIME
if [ -z "$CLI" ]; then
    build=$BUILD
    cmake -S "$ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DAIRLUME_BUILD_TESTS=OFF \
        -DAIRLUME_SANITIZE=OFF >/dev/null
    cmake --build "$build" --target airlume-cli -j "$(nproc)" >/dev/null
    CLI=$build/src/cli/airlume-cli
fi
[ -x "$CLI" ] || die "no airlume-cli at $CLI"
echo "run-hwsim: airlume-cli ready after $(elapsed "$t0") s"

"$HERE/build-initramfs.sh" "$OUT/initramfs.cpio.gz" "$CLI"
KVER=$(cat "$OUT/initramfs.cpio.gz.kver")
KERNEL=/boot/vmlinuz-$KVER
[ -r "$KERNEL" ] || die "cannot read $KERNEL (apt-get install linux-image-amd64; run as root)"

# KVM when it can boot a stock kernel; PVM hosts (kvm_pvm) cannot, so they emulate.
accel=tcg
if [ -r /dev/kvm ] && [ -w /dev/kvm ] && [ ! -d /sys/module/kvm_pvm ]; then accel=kvm; fi
LOG=$OUT/console.log
RESULTS=$OUT/results.txt
rm -f "$LOG" "$RESULTS"
t_boot=$EPOCHREALTIME
echo "run-hwsim: booting $KERNEL with $accel"
rc=0
timeout --kill-after=5 "$TIMEOUT" qemu-system-x86_64 -accel "$accel" -cpu max -smp 2 -m 768 \
    -display none -monitor none -no-reboot -net none \
    -serial "file:$LOG" -serial "file:$RESULTS" \
    -kernel "$KERNEL" -initrd "$OUT/initramfs.cpio.gz" \
    -append "console=ttyS0,115200 panic=-1 loglevel=4 hwsim.timeout=$((TIMEOUT - 30))" \
    </dev/null || rc=$?
echo "run-hwsim: qemu exited with $rc after $(elapsed "$t_boot") s (accel $accel)"
grep -a '=== HWSIM-\|!!! HWSIM-' "$LOG" || true
[ -s "$RESULTS" ] || die "the guest wrote no results (console: $LOG)"
/usr/bin/python3 "$HERE/check-results.py" "$RESULTS" "$LOG"
echo "run-hwsim: whole run $(elapsed "$t0") s"
