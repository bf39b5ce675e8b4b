#!/bin/bash
# Runs a command with a private virtual X display, so editor tests work on machines without a
# screen and never draw on the desktop of whoever runs them. The display ends with the command.
set -u

scratch=$(mktemp -d "${TMPDIR:-/tmp}/garvo-xvfb.XXXXXX")
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# -displayfd lets the server pick a free display number, so parallel tests never collide; the
# server ends with this script even when the script is killed outright.
setpriv --pdeathsig TERM Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "with_xvfb: Xvfb did not start:" >&2
        cat "$scratch/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
if [ ! -s "$scratch/display" ]; then
    echo "with_xvfb: Xvfb did not report a display" >&2
    exit 1
fi
export DISPLAY=":$(head -n 1 "$scratch/display")"

# A desktop's window manager creates the window-manager atoms; a bare Xvfb has none, and JUCE 7 then
# sets properties on atom 0 and the X server's error ends the program. Create them as a window
# manager would (-noreset keeps them after this client leaves).
python3 - <<'PY' || { echo "with_xvfb: cannot create the window-manager atoms" >&2; exit 1; }
import ctypes, ctypes.util
x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x11.XOpenDisplay(None)
if not display:
    raise SystemExit(1)
for name in ("WM_PROTOCOLS WM_TAKE_FOCUS WM_DELETE_WINDOW WM_CHANGE_STATE WM_STATE _NET_WM_PING "
             "_NET_WM_PID _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_NORMAL _NET_WM_WINDOW_TYPE_COMBO "
             "_NET_WM_STATE _NET_WM_STATE_HIDDEN _NET_WM_STATE_FULLSCREEN _NET_WM_ALLOWED_ACTIONS "
             "_NET_FRAME_EXTENTS _NET_WORKAREA _MOTIF_WM_HINTS _WIN_HINTS KWM_WIN_DECORATION "
             "_KDE_NET_WM_WINDOW_TYPE_OVERRIDE").split():
    x11.XInternAtom(display, name.encode(), 0)
x11.XCloseDisplay(display)
PY

"$@" &
child=$!
trap 'kill "$child" 2>/dev/null; exit 143' TERM
trap 'kill "$child" 2>/dev/null; exit 130' INT
wait "$child"
