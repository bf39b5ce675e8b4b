#!/bin/bash
# Installs into a temporary home and checks what a user gets: every file in place, the installed
# command-line tool and both installed plug-ins finding the installed drum library (and nothing from
# the build tree), a second install replacing the first, a refusal to overwrite a file of someone
# else, and an uninstall that removes exactly what was installed.
#
#   install_test.sh SOURCE_DIR BUILD_DIR VST3_HOST_TESTS JACK_RECORDER LV2_URI plays|loads
#
# The last argument says whether the installed LV2 must be heard playing in jalv (which proves it
# found the library) or only run there.
set -u

source_dir=$1 build_dir=$2 vst3_host_tests=$3 jack_recorder=$4 lv2_uri=$5 lv2_check=$6
installer="$source_dir/packaging/install.sh"

# The programs run here show no window; keep JUCE inside them off any X server (without DISPLAY it
# would connect to ":0", and die if a server there goes away).
export DISPLAY=:65535

# Outside the build tree, so that no walk up from an installed binary reaches the build's library.
home=$(mktemp -d /tmp/garvo-install-test.XXXXXX)
trap 'rm -rf "$home" "$home.log" "$home.vst3.log" "$home.lv2.log"' EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check_file() {
    [ -f "$1" ] || fail "not installed: $1"
}

listing() {
    (cd "$home" && find . -mindepth 1 | LC_ALL=C sort)
}

# Things of the user's own that must survive the install and the uninstall.
mkdir -p "$home/.local/bin" "$home/.lv2/Other.lv2"
echo "#!/bin/sh" >"$home/.local/bin/other-tool"
echo "# someone else's plug-in" >"$home/.lv2/Other.lv2/manifest.ttl"
before=$(listing)

run_install() {
    HOME="$home" "$installer" install "$build_dir" >"$home.log" 2>&1
}

manifest="$home/.local/share/garvo-rhythm/install-manifest.txt"
library="$home/.config/GARVO Audio/GARVO RHYTHM/Drum Samples"

check_installed() {
    check_file "$home/.local/bin/garvo-rhythm"
    check_file "$home/.local/bin/garvo-rhythm-app"
    check_file "$home/.local/share/applications/garvo-rhythm.desktop"
    check_file "$home/.local/share/icons/hicolor/scalable/apps/garvo-rhythm.svg"
    check_file "$home/.lv2/GARVO RHYTHM.lv2/manifest.ttl"
    check_file "$home/.lv2/GARVO RHYTHM.lv2/dsp.ttl"
    check_file "$home/.vst3/GARVO RHYTHM.vst3/Contents/x86_64-linux/GARVO RHYTHM.so"
    check_file "$manifest"
    [ -d "$library/House/Kick" ] || fail "the drum library is not installed at $library"
    [ -x "$home/.local/bin/garvo-rhythm-app" ] || fail "the app is not executable"
    grep -qxF "Exec=\"$home/.local/bin/garvo-rhythm-app\"" "$home/.local/share/applications/garvo-rhythm.desktop" ||
        fail "the desktop entry does not start the installed app"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$home/.local/share/applications/garvo-rhythm.desktop" || fail "invalid desktop entry"
    fi
    local installed built
    installed=$(find "$library" -name '*.wav' | wc -l)
    built=$(find "$build_dir/Contents/Resources/GARVO RHYTHM DRUMS" -name '*.wav' | wc -l)
    [ "$installed" -gt 0 ] && [ "$installed" -eq "$built" ] || fail "$installed of $built library files installed"
}

# 1. Install and uninstall leave the home exactly as it was, the user's own files included.
run_install || fail "install failed: $(cat "$home.log")"
check_installed
HOME="$home" "$installer" uninstall >/dev/null || fail "uninstall failed"
[ "$(listing)" = "$before" ] || fail "uninstall did not restore the home:
$(diff <(echo "$before") <(listing))"

# 2. A file of someone else where the tool goes: the install refuses and leaves no trace.
echo "#!/bin/sh" >"$home/.local/bin/garvo-rhythm"
with_foreign=$(listing)
run_install && fail "the install overwrote a file it did not install"
grep -qx "#!/bin/sh" "$home/.local/bin/garvo-rhythm" || fail "the foreign garvo-rhythm was changed"
[ "$(listing)" = "$with_foreign" ] || fail "a refused install left files behind:
$(diff <(echo "$with_foreign") <(listing))"
rm -f "$home/.local/bin/garvo-rhythm"

# 3. A second install replaces the first.
run_install || fail "install failed: $(cat "$home.log")"
run_install || fail "a second install failed: $(cat "$home.log")"
check_installed
[ "$(grep -c . "$manifest")" -eq "$(sort -u "$manifest" | grep -c .)" ] || fail "the manifest lists files twice"

# 4. The installed CLI finds the per-user library.
found=$(cd "$home" && HOME="$home" "$home/.local/bin/garvo-rhythm" library 2>&1)
status=$?
[ $status -eq 0 ] || fail "'garvo-rhythm library' exits with $status: $found"
grep -qF "$library" <<<"$found" || fail "the installed CLI does not report the installed library: $found"

# 5. The installed VST3 plays the installed library (without a library it is silent).
if ! HOME="$home" GARVO_VST3_PLUGIN="$home/.vst3/GARVO RHYTHM.vst3" "$vst3_host_tests" \
    --gtest_filter='Vst3Host.TheBundleDescribesOneStereoInstrument:Vst3Host.FollowsTheHostTransportCleanlyAtEveryRate' \
    >"$home.vst3.log" 2>&1; then
    cat "$home.vst3.log" >&2
    fail "the installed VST3 does not play in the test host"
fi

# 6. The installed LV2 bundle plays in jalv, with the temporary home as the user's home.
lv2_options=(--keep-home)
if [ "$lv2_check" = plays ]; then
    lv2_options+=(--cli "$home/.local/bin/garvo-rhythm")
else
    lv2_options+=(--load-only)
fi
if ! HOME="$home" python3 "$source_dir/tests/hosts/lv2_host_test.py" "${lv2_options[@]}" \
    --bundle "$home/.lv2/GARVO RHYTHM.lv2" --uri "$lv2_uri" --recorder "$jack_recorder" >"$home.lv2.log" 2>&1; then
    cat "$home.lv2.log" >&2
    fail "the installed LV2 does not $lv2_check in jalv"
fi

# 7. Uninstall removes every installed file even after the programs ran; the user's files stay.
installed_files=$(sed -n 's/^f //p' "$manifest")
HOME="$home" "$installer" uninstall >/dev/null || fail "uninstall failed"
while IFS= read -r path; do
    [ -e "$path" ] && fail "left after uninstall: $path"
done <<<"$installed_files"
[ -f "$home/.local/bin/other-tool" ] && [ -f "$home/.lv2/Other.lv2/manifest.ttl" ] ||
    fail "uninstall removed the user's own files"

rm -f "$home.log" "$home.vst3.log" "$home.lv2.log"
if [ $failures -ne 0 ]; then
    echo "$failures install checks failed" >&2
    exit 1
fi
echo "ok: install, uninstall, refusal, reinstall, and the installed CLI and plug-ins find the installed library"
