#!/bin/bash
# GARVO RHYTHM in Debian's Ardour 7, headless: the plug-ins are installed for a temporary user,
# ardour7-lua builds a session with a MIDI track that has GARVO RHYTHM as its instrument (LV2, then
# VST3) on the "None (Dummy)" backend, and ardour7-export renders the session with the transport
# rolling. The export must not be silent, and the pattern must repeat with its loop length at the
# session's tempo.
#
#   ardour_test.sh SOURCE_DIR BUILD_DIR
set -u

source_dir=$1 build_dir=$2
readonly tempo=150
readonly seconds=8
readonly rate=48000

for tool in ardour7-lua ardour7-export; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (Debian package: ardour)" >&2; exit 1; }
done
scanner=/usr/lib/ardour7/ardour-vst3-scanner
[ -x "$scanner" ] || { echo "FAIL: $scanner is missing" >&2; exit 1; }

home=$(mktemp -d /tmp/garvo-ardour-test.XXXXXX)
trap 'rm -rf "$home"' EXIT
export HOME="$home"
unset LV2_PATH
# Headless: keep JUCE inside the plug-ins off any X server (without DISPLAY it would use ":0").
export DISPLAY=:65535

step() {
    echo "== $*"
}

step "installing for a temporary user in $home"
"$source_dir/packaging/install.sh" install "$build_dir" >/dev/null || exit 1

# Release builds of Ardour hide the dummy backend unless the user's configuration shows it.
mkdir -p "$home/.config/ardour7"
cat >"$home/.config/ardour7/config" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
  </Config>
</Ardour>
EOF

# Ardour runs new VST3 bundles through its scanner before it offers them; headless, nobody else does.
step "scanning the installed VST3"
LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 "$scanner" -f -q "$home/.vst3/GARVO RHYTHM.vst3" || {
    echo "FAIL: Ardour's VST3 scanner rejects the plug-in" >&2
    exit 1
}

# The plug-in's URI as the installed bundle declares it.
lv2_uri=$(awk '/^<[^>]*>$/ { uri = substr($0, 2, length($0) - 2) } /a lv2:Plugin/ { print uri; exit }' \
    "$home/.lv2/GARVO RHYTHM.lv2/manifest.ttl")
[ -n "$lv2_uri" ] || { echo "FAIL: no plug-in URI in the installed LV2 manifest" >&2; exit 1; }

failures=0
for kind in LV2 VST3; do
    if [ "$kind" = LV2 ]; then id=$lv2_uri; else id="GARVO RHYTHM"; fi
    session="$home/session-$kind"
    step "$kind: building the session"
    if ! GARVO_SESSION_DIR="$session" GARVO_PLUGIN_KIND="$kind" GARVO_PLUGIN_ID="$id" GARVO_TEMPO="$tempo" \
        timeout 120 ardour7-lua "$source_dir/tests/hosts/ardour_session.lua" >"$home/lua-$kind.log" 2>&1 ||
        ! grep -q "^ok:" "$home/lua-$kind.log"; then
        grep -v '^\[' "$home/lua-$kind.log" >&2
        echo "FAIL: $kind: ardour7-lua could not build the session" >&2
        failures=$((failures + 1))
        continue
    fi
    grep "^ok:" "$home/lua-$kind.log"

    # The export covers the session range; the Lua API cannot make one, so it goes into the file.
    # Ardour 7 keeps positions in superclock units of 282240000 per second.
    end=$((seconds * 282240000))
    sed -i "s|  <Locations/>|  <Locations>\n    <Location id=\"999999\" name=\"session\" start=\"a0\" end=\"a$end\" flags=\"IsSessionRange\" locked=\"0\" timestamp=\"0\" cue=\"0\"/>\n  </Locations>|" \
        "$session/garvo.ardour"

    step "$kind: exporting $seconds seconds"
    if ! timeout 300 ardour7-export -s "$rate" -o "$home/export-$kind.wav" "$session" garvo >"$home/export-$kind.log" 2>&1; then
        cat "$home/export-$kind.log" >&2
        echo "FAIL: $kind: ardour7-export failed" >&2
        failures=$((failures + 1))
        continue
    fi

    python3 - "$home/export-$kind.wav" "$kind" "$tempo" <<'PY' || failures=$((failures + 1))
import array, math, sys, wave

path, kind, tempo = sys.argv[1], sys.argv[2], float(sys.argv[3])
with wave.open(path) as w:
    channels, width, rate, frames = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
    if width != 2:
        sys.exit(f"FAIL: {kind}: expected 16-bit samples, got {8 * width}-bit")
    samples = array.array("h", w.readframes(frames))
left = samples[0::channels]
peak = max((abs(s) for s in samples), default=0) / 32768.0
if peak < 0.01:
    sys.exit(f"FAIL: {kind}: the exported audio is silent (peak {peak:.5f})")

# The default pattern lasts eight beats. Past the first second (so the tails of the previous pass are
# in both), the second pass must sound like the first one if the plug-in follows Ardour's tempo.
loop = round(8 * 60.0 / tempo * rate)
start = rate
if 2 * loop > len(left):
    sys.exit(f"FAIL: {kind}: the export is shorter than two loops")
a, b = left[start:loop], left[start + loop:2 * loop]
dot = sum(x * y for x, y in zip(a, b))
norm = math.sqrt(sum(x * x for x in a) * sum(y * y for y in b))
correlation = dot / norm if norm else 0.0
if correlation < 0.95:
    sys.exit(f"FAIL: {kind}: the pattern does not repeat every {loop} samples at {tempo} BPM "
             f"(correlation {correlation:.3f})")
print(f"ok: {kind}: {frames / rate:.1f} s exported, peak {peak:.3f}, loop repeat correlation {correlation:.4f}")
PY
done

if [ $failures -ne 0 ]; then
    echo "$failures of 2 Ardour checks failed" >&2
    exit 1
fi
echo "ok: GARVO RHYTHM plays in Ardour 7 as LV2 and VST3"
