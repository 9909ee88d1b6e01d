# The test environment, shared by scripts/test, scripts/run and the benchmarks: a virtual display, a
# 64-bit Wine prefix inside the build tree and one persistent wineserver, each stopped by its own id.
# Source it, then call qb_start_display, qb_start_wine PREFIX; qb_stop_all runs from the caller's trap.

QB_XVFB_PID=""
QB_WINESERVER_PID=""
QB_XORG_PID=""
QB_SLOWFS_PID=""
QB_SLOWFS_DIR=""

qb_wineserver_binary() {
  if [ -x /usr/lib/wine/wineserver64 ]; then echo /usr/lib/wine/wineserver64; else command -v wineserver; fi
}

qb_wine_binary() {
  if command -v wine64 >/dev/null 2>&1; then command -v wine64
  elif [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64
  else command -v wine; fi
}

# Starts Xvfb on the first free display number from 91 up and exports DISPLAY. Another run may take
# the same number between the check and the start: the server then ends at once, and the next number
# is tried. The display counts as ours only while our own server runs and its socket exists.
qb_start_display() {
  local n=91 tries=0
  while [ $tries -lt 20 ]; do
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    QB_XVFB_PID=$!
    for _ in $(seq 1 100); do
      kill -0 "$QB_XVFB_PID" 2>/dev/null || break
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    # The lock file names the server that holds the display: ours, or the other run's.
    if kill -0 "$QB_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ] &&
      [ "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" = "$QB_XVFB_PID" ]; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$QB_XVFB_PID" 2>/dev/null || true
    wait "$QB_XVFB_PID" 2>/dev/null || true
    QB_XVFB_PID=""
    n=$((n + 1)); tries=$((tries + 1))
  done
  echo "test-env: no virtual display could be started" >&2
  return 1
}

# Makes (or reuses) the prefix and starts one persistent wineserver for it. Its standard streams go to
# /dev/null: Wine's service processes inherit them, and a test runner reading a pipe would wait forever.
qb_start_wine() {
  export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  mkdir -p "$WINEPREFIX"
  "$(qb_wineserver_binary)" -f -p </dev/null >/dev/null 2>&1 &
  QB_WINESERVER_PID=$!
  if [ ! -f "$WINEPREFIX/.qb-ready-2" ]; then
    echo "wine: making the prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    qb_configure_prefix
    touch "$WINEPREFIX/.qb-ready-2"
  fi
  qb_add_marlett
}

# The caption's close box and the scroll bars' arrows are glyphs of the Marlett font. Debian's fonts-wine
# ships it, but this Wine does not look where it lies: without it they draw as letters ("r" for the close
# box). The prefix gets a copy in its Fonts folder, registered as Windows registers it. Prefixes made
# before this step get it at their next start; the copy is made last, so a start cut short tries again.
qb_add_marlett() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" font reg
  [ -f "$fonts/marlett.ttf" ] && return 0
  font=$(dpkg -L fonts-wine 2>/dev/null | grep '/marlett\.ttf$' | head -n 1) || true
  [ -n "$font" ] || font=/usr/share/wine/fonts/marlett.ttf
  if [ ! -f "$font" ]; then
    echo "wine: no marlett.ttf (package fonts-wine); close boxes show as letters" >&2
    return 0
  fi
  reg="$WINEPREFIX/qb-marlett.reg"
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]\r\n'
    printf '"Marlett (TrueType)"="marlett.ttf"\r\n'
  } >"$reg"
  "$(qb_wine_binary)" regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 || return 0
  mkdir -p "$fonts"
  cp "$font" "$fonts/marlett.ttf.part" && mv "$fonts/marlett.ttf.part" "$fonts/marlett.ttf" || true
}

# - Japanese UI fonts and the default UI fonts map to a CJK font that also has Latin glyphs; without
#   this Japanese draws but ASCII digits come out as boxes.
# - Windows are not handed to an X window manager (there is none on the virtual display): Wine draws
#   their frames itself, and hiding or destroying a window does not wait two seconds for a window
#   manager's answer that never comes.
qb_configure_prefix() {
  local font="Noto Sans CJK JP"
  local reg="$WINEPREFIX/qb-fonts.reg"
  local names=("ＭＳ Ｐゴシック" "ＭＳ ゴシック" "ＭＳ Ｐ明朝" "ＭＳ 明朝" "MS PGothic" "MS Gothic" "MS UI Gothic"
               "MS Shell Dlg" "MS Shell Dlg 2" "MS Sans Serif" "Tahoma" "Segoe UI" "Arial" "Microsoft Sans Serif")
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for n in "${names[@]}"; do printf '"%s"="%s"\r\n' "$n" "$font"; done
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for n in "${names[@]}"; do printf '"%s"="%s"\r\n' "$n" "$font"; done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
  "$(qb_wine_binary)" regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 || true
}

# Like qb_start_wine, in a prefix whose display has `dpi` dots per inch. Wine 8 takes the DPI from
# LogPixels, which its processes read when they start: the first start writes it and starts Wine again.
# Both places Wine 8 reads it from are set (HKCU\Control Panel\Desktop, where winecfg puts it, and the
# older HKEY_CURRENT_CONFIG\Software\Fonts); either alone is enough.
qb_start_wine_at_dpi() {
  local prefix="$1" dpi="$2"
  qb_start_wine "$prefix"
  [ -f "$prefix/.qb-dpi-$dpi" ] && return 0
  local reg="$prefix/qb-dpi.reg" value
  value=$(printf '%08x' "$dpi")
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%s\r\n\r\n' "$value"
    printf '[HKEY_CURRENT_CONFIG\\Software\\Fonts]\r\n"LogPixels"=dword:%s\r\n' "$value"
  } >"$reg"
  "$(qb_wine_binary)" regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 || true
  qb_stop_wine
  qb_start_wine "$prefix"
  touch "$prefix/.qb-dpi-$dpi"
}

# Starts an X server with two monitors side by side (the dummy video driver with two outputs: 1280x1024
# on the left, primary, and 1024x768 to its right) and sets QB_TWO_MONITOR_DISPLAY to its name; leaves it
# empty when this machine cannot run one (no Xorg, or not allowed to start it). Stopped by qb_stop_all.
QB_TWO_MONITOR_DISPLAY=""
qb_start_two_monitor_display() {
  QB_TWO_MONITOR_DISPLAY=""
  command -v Xorg >/dev/null 2>&1 && command -v xrandr >/dev/null 2>&1 || return 0
  [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] || return 0
  local dir="$1" n=121
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  mkdir -p "$dir"
  cat >"$dir/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2304 1024
  EndSubSection
EndSection
CONF
  Xorg ":$n" -noreset -nolisten tcp -config "$dir/xorg.conf" -logfile "$dir/xorg.log" \
    </dev/null >/dev/null 2>&1 &
  QB_XORG_PID=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$QB_XORG_PID" 2>/dev/null || break
    sleep 0.1
  done
  if ! DISPLAY=":$n" xrandr --output DUMMY0 --mode 1280x1024 --pos 0x0 --primary >/dev/null 2>&1 ||
    ! DISPLAY=":$n" xrandr --addmode DUMMY1 1024x768 >/dev/null 2>&1 ||
    ! DISPLAY=":$n" xrandr --output DUMMY1 --mode 1024x768 --pos 1280x0 >/dev/null 2>&1; then
    kill "$QB_XORG_PID" 2>/dev/null || true
    wait "$QB_XORG_PID" 2>/dev/null || true
    QB_XORG_PID=""
    return 0
  fi
  # Wine reads the monitors when it connects; make sure the server has settled on the new layout.
  DISPLAY=":$n" xrandr --listmonitors >/dev/null 2>&1 || true
  QB_TWO_MONITOR_DISPLAY=":$n"
}

# Ends the prefix's Wine processes and its server, by the server's own process id.
qb_stop_wine() {
  if [ -n "$QB_WINESERVER_PID" ]; then
    # Ends the prefix's remaining Wine processes, then the server itself by its id.
    "$(qb_wineserver_binary)" -k </dev/null >/dev/null 2>&1 || true
    kill "$QB_WINESERVER_PID" 2>/dev/null || true
    wait "$QB_WINESERVER_PID" 2>/dev/null || true
    QB_WINESERVER_PID=""
  fi
}

# Mounts the tests' slow file system (tests/support/slowfs.py) on the folder `dir` and exports QB_SLOW_FS,
# the mount as Wine names it. Where FUSE is not usable, QB_SLOW_FS stays empty and QB_SLOW_FS_ABSENT says
# why: the tests that need it skip with that reason. Call after qb_start_wine (winepath needs the prefix).
qb_start_slow_fs() {
  local dir="$1" script="$2" log="$1.log"
  export QB_SLOW_FS="" QB_SLOW_FS_ABSENT=""
  if [ ! -c /dev/fuse ] || [ ! -r /dev/fuse ] || [ ! -w /dev/fuse ]; then
    QB_SLOW_FS_ABSENT="/dev/fuse is not usable on this machine"
  elif ! command -v fusermount3 >/dev/null 2>&1; then
    QB_SLOW_FS_ABSENT="fusermount3 is not installed"
  fi
  if [ -z "$QB_SLOW_FS_ABSENT" ]; then
    # A run that was killed may have left its mount behind.
    fusermount3 -u -z "$dir" 2>/dev/null || true
    mkdir -p "$dir"
    /usr/bin/python3 "$script" "$dir" </dev/null >"$log" 2>&1 &
    QB_SLOWFS_PID=$!
    QB_SLOWFS_DIR="$dir"
    for _ in $(seq 1 100); do
      [ -e "$dir/control" ] && break
      kill -0 "$QB_SLOWFS_PID" 2>/dev/null || break
      sleep 0.1
    done
    if [ ! -e "$dir/control" ]; then
      QB_SLOW_FS_ABSENT="mounting it failed: $(tail -n 1 "$log" 2>/dev/null)"
    elif ! QB_SLOW_FS=$(winepath -w "$dir" 2>/dev/null) || [ -z "$QB_SLOW_FS" ]; then
      QB_SLOW_FS="" QB_SLOW_FS_ABSENT="Wine gave no path for $dir"
    fi
    [ -n "$QB_SLOW_FS" ] || qb_stop_slow_fs
  fi
  if [ -n "$QB_SLOW_FS" ]; then
    echo "slow file system: mounted on $dir"
  else
    echo "slow file system: $QB_SLOW_FS_ABSENT; the tests that need it skip"
  fi
}

# Unmounts it (after Wine has let go of it) and ends its process by its id.
qb_stop_slow_fs() {
  [ -n "$QB_SLOWFS_PID" ] || return 0
  if mountpoint -q "$QB_SLOWFS_DIR" 2>/dev/null; then
    fusermount3 -u "$QB_SLOWFS_DIR" 2>/dev/null || fusermount3 -u -z "$QB_SLOWFS_DIR" 2>/dev/null || true
  fi
  # Unmounted, it ends by itself; a call still waiting in it must not hold up the end of the run.
  for _ in $(seq 1 30); do
    kill -0 "$QB_SLOWFS_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill "$QB_SLOWFS_PID" 2>/dev/null || true
  wait "$QB_SLOWFS_PID" 2>/dev/null || true
  QB_SLOWFS_PID=""
}

qb_stop_all() {
  qb_stop_wine
  qb_stop_slow_fs
  if [ -n "$QB_XORG_PID" ]; then
    kill "$QB_XORG_PID" 2>/dev/null || true
    wait "$QB_XORG_PID" 2>/dev/null || true
    QB_XORG_PID=""
  fi
  if [ -n "$QB_XVFB_PID" ]; then
    kill "$QB_XVFB_PID" 2>/dev/null || true
    wait "$QB_XVFB_PID" 2>/dev/null || true
    QB_XVFB_PID=""
  fi
}
