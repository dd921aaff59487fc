# Sourced: the Wine environment of one build, with helpers to start and stop the
# display and the wineserver that the tests and the dock run on.
build=$1
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
xvfb_pid=

# Extra arguments go to Xvfb.
wine_start_display() {
  # Xvfb picks a free display itself and names it: two runs started at the same time
  # can never end up sharing one display.
  local numfile="$build/xvfb.display" n=
  rm -f "$numfile"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp "$@" 3>"$numfile" >"$build/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    n=$(head -n 1 "$numfile" 2>/dev/null)
    [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$xvfb_pid" 2>/dev/null
  echo "no free X display" >&2
  return 1
}

# A new prefix is set up first, and everything that set-up started is waited for:
# a program started while it still runs can wait minutes for it. Then one persistent
# server serves every program of the run.
wine_start_server() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >"$build/wineboot.log" 2>&1 </dev/null || true
    wineserver -w >/dev/null 2>&1 </dev/null || true
  fi
  wineserver -p >/dev/null 2>&1 </dev/null || true
  # A run that stopped half-way may have left another resolution behind.
  wine_set_dpi 96
  # Xvfb has no window manager: Wine would wait two seconds for one at every hidden
  # window unless its windows are unmanaged.
  if [ -n "$xvfb_pid" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
  fi
  return 0
}

# Programs started from now on read this resolution, in dots per inch.
wine_set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1 </dev/null || true
}

# A real display has a window manager that should frame the windows.
wine_use_window_manager() {
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 </dev/null || true
}

wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  return 0
}
