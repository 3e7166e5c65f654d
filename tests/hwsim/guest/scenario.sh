#!/bin/sh
# The hwsim test inside the guest: mac80211_hwsim radios, one hostapd access point per radio,
# the last radio joined to LabHome with wpa_supplicant, then airlume-cli reads the scan table as
# root and as an ordinary user, races iw on the same table, records a session and replays it,
# rates the channels, and watches a stopped AP age out.
# Progress markers go to the console ("=== HWSIM-"); results go to /dev/ttyS1 as
# "--- BEGIN name" ... "--- END name" blocks, checked on the host by check-results.py.
APS="home office mixed cafe hidden he24 he6"
COUNTRY=DE
CLI=/usr/bin/airlume-cli
AGE_TICKS=11
AGE_INTERVAL=8
BENCH_RUNS=20
RECORD_TICKS=2

now() { cut -d' ' -f1 /proc/uptime; }
mark() { echo "=== HWSIM-$* t=$(now)"; }
fails=""
fail() { fails="$fails $1"; echo "!!! HWSIM-FAIL $1"; }
emit() { # emit NAME FILE: one result block on the data port
    { echo "--- BEGIN $1"; cat "$2"; echo "--- END $1"; } >/dev/ttyS1
}
wait_for() { # wait_for SECONDS CMD...: poll every 0.2 s
    n=$(($1 * 5)); shift
    while [ "$n" -gt 0 ]; do "$@" >/dev/null 2>&1 && return 0; sleep 0.2; n=$((n - 1)); done
    return 1
}
subst() { sed -e "s/@IFACE@/$2/" -e "s/@COUNTRY@/$COUNTRY/" "$1"; }
as_user() { su -s /bin/sh scanner -c "HOME=/tmp/scanner $*"; }

n_aps=$(echo $APS | wc -w)
STA=wlan$n_aps
mark MODPROBE radios=$((n_aps + 1))
modprobe mac80211_hwsim radios=$((n_aps + 1)) || { fail modprobe; echo "=== HWSIM-RESULT FAIL$fails"; exit 1; }
wait_for 10 test -e /sys/class/net/$STA || fail "no-$STA"
iw reg set "$COUNTRY"
wait_for 10 sh -c "iw reg get | grep -q 'country $COUNTRY'" || fail "regdomain"

# One after another, each AP up before the next starts (see aps/home.conf).
mark APS-START
i=0
: >/tmp/aps.txt
for ap in $APS; do
    ifc=wlan$i
    subst "/lab/aps/$ap.conf" "$ifc" >"/run/hostapd-$ap.conf"
    if ! hostapd -B -P "/run/hostapd-$ap.pid" -f "/tmp/hostapd-$ap.log" "/run/hostapd-$ap.conf"; then
        fail "hostapd-$ap"; cat "/tmp/hostapd-$ap.log"
    elif ! wait_for 30 sh -c "hostapd_cli -p /run/hostapd -i $ifc status | grep -q '^state=ENABLED'"; then
        fail "ap-$ap-not-enabled"; tail -n 20 "/tmp/hostapd-$ap.log"
    fi
    txp=$(sed -n 's/^#@txpower_mbm=//p' "/run/hostapd-$ap.conf")
    [ -z "$txp" ] || iw dev "$ifc" set txpower fixed "$txp" || fail "txpower-$ap"
    echo "$ap $ifc $(cat /sys/class/net/$ifc/address)" >>/tmp/aps.txt
    echo "--- AP $ap on $ifc: $(hostapd_cli -p /run/hostapd -i "$ifc" status 2>&1 |
        grep -E '^(freq|channel|secondary_channel|ieee80211ac|ieee80211ax|vht_oper_chwidth)=' | tr '\n' ' ')"
    i=$((i + 1))
done
emit aps /tmp/aps.txt
mark APS-UP

ip link set "$STA" up
iw event -t >/tmp/events.txt 2>&1 &
# scan_wait: a fresh table, from a listener subscribed before the trigger (never
# trigger-wait-dump on one socket), bounded.
scan_wait() {
    done_re="$STA (phy #[0-9]*): scan \(finished\|aborted\)"
    n0=$(grep -c "$done_re" /tmp/events.txt)
    wait_for 10 iw dev "$STA" scan trigger || { fail "scan-trigger-$1"; return; }
    wait_for 30 sh -c "[ \$(grep -c '$done_re' /tmp/events.txt) -gt $n0 ]" || fail "scan-wait-$1"
}

mark CONNECT
subst /lab/sta/home.conf "$STA" >/run/sta-home.conf
wpa_supplicant -B -i "$STA" -c /run/sta-home.conf -P /run/wpas.pid -f /tmp/wpas.log
if ! wait_for 30 sh -c "wpa_cli -p /run/wpa_supplicant -i $STA status | grep -q '^wpa_state=COMPLETED'"; then
    fail connect; tail -n 30 /tmp/wpas.log
fi
iw dev "$STA" link
iw dev "$STA" info
scan_wait first
iw dev "$STA" scan dump >/tmp/iw-dump.txt 2>&1
emit iw-dump /tmp/iw-dump.txt

mark ROOT-SCAN
$CLI scan --source nl80211 --format json >/tmp/root.json 2>/tmp/root.err
echo "rc=$?" >>/tmp/root.err
emit root.json /tmp/root.json
emit root.err /tmp/root.err

mark USER-SCAN
mkdir -p /tmp/scanner; chown 1000:1000 /tmp/scanner
as_user id -u >/tmp/user-id.txt
emit user-id /tmp/user-id.txt
scan_wait user
as_user $CLI scan --source nl80211 --ticks 2 --trace --format json >/tmp/user.json 2>/tmp/user.err
echo "rc=$?" >>/tmp/user.err
emit user.json /tmp/user.json
emit user.err /tmp/user.err

# The same table read by iw and by airlume-cli. The in-process read (GET_INTERFACE, the
# GET_SCAN dump, GET_STATION, decoding) runs unprivileged so that no scan is triggered;
# whole processes run as root, without su's start-up in the figures.
mark BENCH
# What every airlume-cli process pays before it scans: loading Qt and starting up. First, so
# that the AGE stage still follows the last triggered scan as closely as before.
tv=$(now)
for i in $(seq $BENCH_RUNS); do $CLI --version >/dev/null; done
t0=$(now)
for i in $(seq $BENCH_RUNS); do iw dev "$STA" scan dump >/dev/null; done
t1=$(now)
for i in $(seq $BENCH_RUNS); do $CLI scan --source nl80211 --format json >/dev/null 2>&1; done
t2=$(now)
as_user $CLI scan --source nl80211 --ticks $BENCH_RUNS --trace --format json >/dev/null 2>/tmp/bench.err
{ echo "runs=$BENCH_RUNS iw_total_s=$(awk "BEGIN{print $t1-$t0}")" \
       "cli_total_s=$(awk "BEGIN{print $t2-$t1}") version_total_s=$(awk "BEGIN{print $t0-$tv}")"
  grep '^airlume-trace ' /tmp/bench.err; } >/tmp/bench.txt
emit bench /tmp/bench.txt

# A session recorded from the air replays as it was seen: the CSV each tick printed while
# recording equals, byte for byte, the CSV each tick printed while replaying the recording.
mark RECORD
$CLI record --source nl80211 --ticks $RECORD_TICKS --interval 0 --format csv --out /tmp/rec.jsonl \
    >/tmp/live.csv 2>/tmp/rec.err
echo "rc=$?" >>/tmp/rec.err
$CLI record --source scenario:/tmp/rec.jsonl --ticks $RECORD_TICKS --interval 0 --format csv \
    --out /tmp/replayed.jsonl >/tmp/replay.csv 2>/tmp/replay.err
echo "rc=$?" >>/tmp/replay.err
{ cmp /tmp/live.csv /tmp/replay.csv 2>&1; echo "rc=$?"; } >/tmp/cmp.txt
grep -c . /tmp/rec.jsonl >/tmp/rec-lines.txt
for f in live.csv replay.csv rec.err replay.err cmp.txt rec-lines.txt; do emit $f /tmp/$f; done

# Channel ratings from the adapter's own channel list (the DE regulatory domain set above).
mark CHANNELS
$CLI channels --source nl80211 --format json >/tmp/channels.json 2>/tmp/channels.err
echo "rc=$?" >>/tmp/channels.err
emit channels.json /tmp/channels.json
emit channels.err /tmp/channels.err

# Stop LabCafe after the second tick; it must leave the list after four missed scans.
mark AGE
$CLI scan --source nl80211 --ticks $AGE_TICKS --interval $AGE_INTERVAL --trace --format json \
    >/tmp/age.json 2>/tmp/age.err &
cli=$!
wait_for 60 grep -q '"tick":2[,}]' /tmp/age.err || fail age-no-tick-2
kill "$(cat /run/hostapd-cafe.pid)"
echo "stopped cafe after tick $(grep -c '^airlume-trace ' /tmp/age.err) at $(now)" >/tmp/age-stop.txt
# Scans under emulation take ~15 s here, two ticks: the scan running now may still have
# heard the AP, the next one cannot.
wait "$cli"
echo "rc=$?" >>/tmp/age.err
emit age-stop /tmp/age-stop.txt
emit age.err /tmp/age.err
emit age.json /tmp/age.json
cp /tmp/events.txt /tmp/events-copy.txt
emit events /tmp/events-copy.txt

if [ -z "$fails" ]; then echo "=== HWSIM-RESULT PASS"; else echo "=== HWSIM-RESULT FAIL$fails"; fi
