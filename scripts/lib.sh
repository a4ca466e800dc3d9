# Shared steps of scripts/run, scripts/test and the benchmarks. Source it; it sets
# KORVELLO_ROOT and the build folders.
KORVELLO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KORVELLO_BUILD="$KORVELLO_ROOT/build"
KORVELLO_HOST_BUILD="$KORVELLO_BUILD/host"
KORVELLO_WINDOWS_BUILD="$KORVELLO_BUILD/windows"
KORVELLO_FUZZ_BUILD="$KORVELLO_BUILD/fuzz"

# Configures (once) and builds the host tools and tests, then the Windows programs and
# their tests.
korvello_build() {
  cmake -S "$KORVELLO_ROOT" -B "$KORVELLO_HOST_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$KORVELLO_HOST_BUILD"
  cmake -S "$KORVELLO_ROOT" -B "$KORVELLO_WINDOWS_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    --toolchain "$KORVELLO_ROOT/cmake/mingw-i686.cmake" \
    -DKORVELLO_MAKE_DISC="$KORVELLO_HOST_BUILD/make-disc" >/dev/null
  cmake --build "$KORVELLO_WINDOWS_BUILD"
}

# Configures (once) and builds the fuzzers with clang, with their short ctest passes.
korvello_build_fuzz() {
  cmake -S "$KORVELLO_ROOT" -B "$KORVELLO_FUZZ_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DKORVELLO_FUZZ=ON >/dev/null
  cmake --build "$KORVELLO_FUZZ_BUILD"
}

# Starts an Xvfb server on a free display and exports DISPLAY.
korvello_start_display() {
  local display
  for display in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    KORVELLO_XVFB_PID=$!
    export DISPLAY=":$display"
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$KORVELLO_XVFB_PID" 2>/dev/null || true
  done
  echo "could not start Xvfb" >&2
  return 1
}

# Ends the Wine processes of the build's prefix and the Xvfb started above.
korvello_stop_display() {
  WINEPREFIX="$KORVELLO_WINDOWS_BUILD/wineprefix" wineserver -k 2>/dev/null || true
  [ -n "${KORVELLO_XVFB_PID:-}" ] && kill "$KORVELLO_XVFB_PID" 2>/dev/null || true
  KORVELLO_XVFB_PID=""
}
