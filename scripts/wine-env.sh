# Sourced by the test command: a display and a throwaway Wine prefix for the
# Windows tests, both removed again on exit. Tests start from an empty
# registry; nothing touches the user's own prefix. The launch command uses
# only wine_fonts_install, on the user's prefix.

wine_env_start() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX
  WINEPREFIX=$(mktemp -d -t ambrelix-wine.XXXXXX)

  # Always a private display: the tests' windows never appear on the user's.
  {
    local n=77
    while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
    Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    AMBRELIX_XVFB_PID=$!
    export DISPLAY=":${n}"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  }
  trap wine_env_stop EXIT

  wineboot -i >/dev/null 2>&1
  wine_fonts_install
  # Without a window manager, a Wine virtual desktop gives windows a frame
  # and ordinary focus behaviour.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wineserver -w
}

wine_env_stop() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${AMBRELIX_XVFB_PID:-}" ] && kill "$AMBRELIX_XVFB_PID" >/dev/null 2>&1 || true
  case "${WINEPREFIX:-}" in */ambrelix-wine.*) rm -rf "$WINEPREFIX" ;; esac
}

# Wine's own Tahoma (the calculator window's face) and Marlett (the caption
# buttons' glyphs) come with Debian's fonts-wine, which this Wine does not
# load by itself: put them in the prefix's font folder. Without them Wine
# draws Tahoma text in a look-alike and the close box as an "r".
wine_fonts_install() {
  local fonts=/usr/share/wine/fonts
  local target="$WINEPREFIX/drive_c/windows/Fonts"
  [ -d "$target" ] || return 0
  local f
  for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [ -e "$fonts/$f" ] && [ ! -e "$target/$f" ] && cp "$fonts/$f" "$target/"
  done
  return 0
}
