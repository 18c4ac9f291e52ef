#!/usr/bin/env bash
# The Wine test bench: a private prefix inside the build folder, a persistent
# wineserver and, when no display is set, an Xvfb server.
#
#   source scripts/wine-bench.sh
#   bench_start BUILD_DIR     # exports WINEPREFIX, WINEDEBUG, DISPLAY, ...
#   bench_stop                # shuts down what bench_start started
#
# The prefix is created once (wineboot takes about 15 s) and reused later.

bench_start() {
  local build_dir
  build_dir=$(cd "$1" && pwd)
  export WINEPREFIX="$build_dir/wine-prefix"
  export WINEDEBUG=-all
  # No Mono or Gecko: nothing here needs them and their installers would prompt.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  export WINEARCH=win64
  mkdir -p "$build_dir/wine-bench"

  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 91 120); do
      [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$build_dir/wine-bench/xvfb.log" 2>&1 &
    BENCH_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
  fi
  echo "$DISPLAY" >"$build_dir/wine-bench/display"

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-bench: creating the Wine prefix (once)"
    wineboot --init >"$build_dir/wine-bench/wineboot.log" 2>&1
    # Let the first server finish writing the prefix before tests use it.
    wineserver -w
  fi
  # A persistent server keeps every later start well under a second.
  wineserver -p 2>/dev/null || true  # already running is fine
  # The first program in a session starts Wine's own services (services.exe,
  # winedevice.exe, explorer.exe). They live as long as the server and would
  # hold on to the output pipe of whichever test started them, so that the
  # test never seems to end: start them here, detached from any pipe.
  wine cmd.exe /c exit </dev/null >"$build_dir/wine-bench/warm-up.log" 2>&1 || true
  # Without a window manager on the X server, Wine waits about 2 s for every
  # window it hides when its X11 driver manages windows; unmanaged, it does
  # not wait, and window captions show in screenshots.
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null \
      >>"$build_dir/wine-bench/warm-up.log" 2>&1 || true
  fi
}

bench_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k 2>/dev/null || true
  fi
  if [ -n "${BENCH_XVFB_PID:-}" ]; then
    kill "$BENCH_XVFB_PID" 2>/dev/null || true
    wait "$BENCH_XVFB_PID" 2>/dev/null || true
    unset BENCH_XVFB_PID
  fi
}
