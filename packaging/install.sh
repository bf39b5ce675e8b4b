#!/bin/bash
# Installs GARVO RHYTHM for the current user, without root, or removes such an install.
#
#   packaging/install.sh install BUILD_DIR
#   packaging/install.sh uninstall
#
# Everything goes under $HOME:
#   ~/.local/bin/garvo-rhythm-app       the standalone application
#   ~/.local/bin/garvo-rhythm           the command-line tool
#   ~/.local/share/applications/garvo-rhythm.desktop and the icon under ~/.local/share/icons
#   ~/.lv2/GARVO RHYTHM.lv2             the LV2 plug-in
#   ~/.vst3/GARVO RHYTHM.vst3           the VST3 plug-in
#   ~/.config/GARVO Audio/GARVO RHYTHM/Drum Samples
#                                       the factory drum library, where the app, the CLI and the
#                                       plug-ins in any host look for a per-user library
#
# Every file written and every folder created is listed in a manifest, and uninstall removes exactly
# those: folders only when they are empty, never anything that was there before the install.
set -Eeuo pipefail

readonly app_name="GARVO RHYTHM"
readonly bin_dir="$HOME/.local/bin"
readonly apps_dir="$HOME/.local/share/applications"
readonly icon_dir="$HOME/.local/share/icons/hicolor/scalable/apps"
readonly lv2_dir="$HOME/.lv2"
readonly vst3_dir="$HOME/.vst3"
# JUCE's per-user application data folder on Linux is ~/.config, whatever XDG_CONFIG_HOME says.
readonly library_dir="$HOME/.config/GARVO Audio/GARVO RHYTHM/Drum Samples"
readonly manifest_dir="$HOME/.local/share/garvo-rhythm"
readonly manifest="$manifest_dir/install-manifest.txt"
readonly user=${USER:-$(id -un)}
readonly source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

die() {
    echo "garvo-rhythm install: $*" >&2
    exit 1
}

# Manifest lines are "d PATH" for a folder this install created and "f PATH" for a file it wrote,
# in the order they were made.
records=()
record() {
    records+=("$1 $2")
}

write_manifest() {
    make_dir "$manifest_dir"
    printf '%s\n' "${records[@]}" >"$manifest"
}

make_dir() {
    local dir=$1
    [ -d "$dir" ] && return 0
    [ -e "$dir" ] && die "'$dir' exists and is not a folder"
    make_dir "$(dirname "$dir")"
    mkdir "$dir"
    record d "$dir"
}

install_file() {
    local from=$1 to=$2 mode=$3
    [ -e "$to" ] && die "'$to' already exists and was not installed by GARVO RHYTHM; move it away first"
    make_dir "$(dirname "$to")"
    install -m "$mode" "$from" "$to"
    record f "$to"
}

# Copies a folder tree file by file, so each file and folder is in the manifest.
install_tree() {
    local from=$1 to=$2
    [ -e "$to" ] && die "'$to' already exists and was not installed by GARVO RHYTHM; move it away first"
    make_dir "$to"
    local path
    while IFS= read -r -d '' path; do
        local relative=${path#"$from"/}
        if [ -d "$path" ]; then
            make_dir "$to/$relative"
        elif [ -x "$path" ]; then
            install_file "$path" "$to/$relative" 755
        else
            install_file "$path" "$to/$relative" 644
        fi
    done < <(find "$from" -mindepth 1 -print0 | sort -z)
}

uninstall() {
    if [ ! -f "$manifest" ]; then
        echo "GARVO RHYTHM is not installed for $user (no $manifest)."
        return 0
    fi
    local entries kind path
    mapfile -t entries <"$manifest"
    rm -f -- "$manifest"
    # Files first, then the folders the install created, deepest first, when nothing else is in them.
    for entry in "${entries[@]}"; do
        kind=${entry%% *} path=${entry#* }
        if [ "$kind" = f ] && [ -f "$path" ]; then
            rm -f -- "$path"
        fi
    done
    for ((i = ${#entries[@]} - 1; i >= 0; i--)); do
        kind=${entries[i]%% *} path=${entries[i]#* }
        if [ "$kind" = d ] && [ -d "$path" ]; then
            rmdir -- "$path" 2>/dev/null || true
        fi
    done
    echo "GARVO RHYTHM removed."
}

install_all() {
    local build=$1
    local artefacts="$build/GarvoRhythm_artefacts/Release"
    local app="$artefacts/Standalone/$app_name"
    local cli="$build/garvo-rhythm"
    local lv2="$artefacts/LV2/$app_name.lv2"
    local vst3="$artefacts/VST3/$app_name.vst3"
    local library="$build/Contents/Resources/$app_name DRUMS"
    local missing=
    for needed in "$app" "$cli" "$lv2" "$vst3" "$library"; do
        [ -e "$needed" ] || missing+=$'\n'"  $needed"
    done
    [ -z "$missing" ] || die "the build is incomplete; run 'make' first. Missing:$missing"

    # A second install replaces the first one completely.
    [ -f "$manifest" ] && uninstall >/dev/null

    # Whatever stops the install half-way, what it wrote so far is removed again.
    trap 'echo "garvo-rhythm install: failed; removing what was installed" >&2; write_manifest; uninstall >/dev/null' EXIT

    install_file "$app" "$bin_dir/garvo-rhythm-app" 755
    install_file "$cli" "$bin_dir/garvo-rhythm" 755
    install_file "$source_dir/garvo-rhythm.svg" "$icon_dir/garvo-rhythm.svg" 644
    # Desktops watch the applications folder and pick the entry up by themselves. No desktop or icon
    # cache is rebuilt: a cache would be a file outside the manifest that uninstall cannot account for.
    local desktop
    desktop=$(mktemp)
    sed "s|@APP@|$bin_dir/garvo-rhythm-app|" "$source_dir/garvo-rhythm.desktop.in" >"$desktop"
    install_file "$desktop" "$apps_dir/garvo-rhythm.desktop" 644
    rm -f "$desktop"
    install_tree "$lv2" "$lv2_dir/$app_name.lv2"
    install_tree "$vst3" "$vst3_dir/$app_name.vst3"
    install_tree "$library" "$library_dir"

    write_manifest
    trap - EXIT
    echo "GARVO RHYTHM installed for $user:"
    echo "  app            $bin_dir/garvo-rhythm-app (and in the desktop's application menu)"
    echo "  command line   $bin_dir/garvo-rhythm"
    echo "  LV2            $lv2_dir/$app_name.lv2"
    echo "  VST3           $vst3_dir/$app_name.vst3"
    echo "  drum library   $library_dir"
    case ":$PATH:" in
        *":$bin_dir:"*) ;;
        *) echo "Note: $bin_dir is not on your PATH." ;;
    esac
}

case "${1:-}" in
    install)
        [ $# -eq 2 ] || die "usage: $0 install BUILD_DIR"
        install_all "$(cd "$2" && pwd)"
        ;;
    uninstall)
        [ $# -eq 1 ] || die "usage: $0 uninstall"
        uninstall
        ;;
    *)
        die "usage: $0 install BUILD_DIR | uninstall"
        ;;
esac
