# Shared by the end-to-end scripts: starting korvello-emulated.exe under Wine in a scratch
# folder, looking at its windows with winprobe, pressing keys with xdotool, reading the
# emulated drive's journal, screenshots, and failing loudly.
#
# A script sources this file, then calls e2e_setup with its six arguments:
#   KORVELLO_EXE WINPROBE_EXE MAKE_DISC WINE_RUN SCREENSHOT_DIR SCRATCH_DIR
# The X display comes from DISPLAY (scripts/test starts Xvfb).

# Failures inside $(...) end the script too.
shopt -s inherit_errexit

TEST_NAME=$(basename "$0" .sh)
STARTED_PIDS=()
JOURNAL_SEEN=0   # journal lines already matched by wait_request
EXIT_STATUS=""   # set by wait_exit

step() { echo "--- $TEST_NAME: $*"; }

# Says what went wrong, lists the desktop's windows and keeps a screenshot; then exits.
fail() {
  echo "FAIL ($TEST_NAME): $*" >&2
  if [ -d "${WORK_DIR:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "windows on the desktop:" >&2
    run_winprobe windows && cat "$WORK_DIR/winprobe.out" >&2
    mkdir -p "$SHOT_DIR"
    import -display "$DISPLAY" -window root "$SHOT_DIR/$TEST_NAME-failure.png" 2>/dev/null &&
      echo "screenshot: $SHOT_DIR/$TEST_NAME-failure.png" >&2
  fi
  exit 1
}

expect_eq() { # ACTUAL EXPECTED WHAT
  [ "$1" = "$2" ] || fail "$3: expected \"$2\", got \"$1\""
}

# expect_probe EXPECTED WHAT WINPROBE_ARGS...: what winprobe prints is EXPECTED.
expect_probe() {
  local expected=$1 what=$2 actual
  shift 2
  actual=$(probe "$@")
  expect_eq "$actual" "$expected" "$what"
}

e2e_setup() {
  [ $# -eq 6 ] || { echo "usage: $0 KORVELLO_EXE WINPROBE_EXE MAKE_DISC WINE_RUN SCREENSHOT_DIR SCRATCH_DIR" >&2; exit 2; }
  KORVELLO_EXE=$1 WINPROBE_EXE=$2 MAKE_DISC=$3 WINE_RUN=$4
  SHOT_DIR=$(realpath -m "$5") WORK_DIR=$(realpath -m "$6")
  RUN_DIR=$WORK_DIR/run DISC_DIR=$WORK_DIR/discs JOURNAL=$WORK_DIR/journal.log

  [ -n "${DISPLAY:-}" ] || fail "DISPLAY is not set: start an X server (Xvfb) first, as scripts/test does"
  xdpyinfo >/dev/null 2>&1 || fail "the X server $DISPLAY does not answer (xdpyinfo failed)"
  local tool
  for tool in wine xdotool import timeout; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (run scripts/bootstrap)"
  done
  [ -f "$KORVELLO_EXE" ] || fail "no program at $KORVELLO_EXE"
  [ -f "$WINPROBE_EXE" ] || fail "no winprobe at $WINPROBE_EXE"
  [ -x "$MAKE_DISC" ] || fail "no make-disc at \"$MAKE_DISC\" (configure with -DKORVELLO_MAKE_DISC=<host build>/make-disc)"
  [ -x "$WINE_RUN" ] || fail "no wine-run at $WINE_RUN"

  rm -rf "$WORK_DIR"
  mkdir -p "$RUN_DIR" "$DISC_DIR" "$SHOT_DIR"
  trap e2e_cleanup EXIT
  # A window left by an earlier run would take this run's keys, and a second program
  # would only bring it forward.
  probe gone 20 Korvello
}

# Ends what this script started and is still running, and closes folder windows that a
# copy opened; then runs the command in E2E_EXIT_HOOK, if the script set one.
e2e_cleanup() {
  local pid
  for pid in "${STARTED_PIDS[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  if run_winprobe windows; then
    grep -P '^\S+\tExplorerWClass\t' "$WORK_DIR/winprobe.out" | cut -f1 |
      while read -r handle; do run_winprobe close "$handle" || true; done || true
  fi
  [ -z "${E2E_EXIT_HOOK:-}" ] || "$E2E_EXIT_HOOK"
}

# wait_probe EXPECTED WHAT WINPROBE_ARGS...: asks winprobe again until it prints
# EXPECTED, for what follows a posted message.
wait_probe() {
  local expected=$1 what=$2 actual deadline=$(( SECONDS + 60 ))
  shift 2
  actual=$(probe "$@")
  while [ "$actual" != "$expected" ]; do
    [ $SECONDS -lt $deadline ] || fail "$what: expected \"$expected\", still \"$actual\" after 60 s"
    sleep 0.2
    actual=$(probe "$@")
  done
}

# Runs winprobe in the program's Wine prefix, its answer through a file: a Wine process
# may start Wine's own services, which keep whatever pipe it writes to open long after.
run_winprobe() {
  timeout 120 "$WINE_RUN" "$WINPROBE_EXE" "$@" </dev/null >"$WORK_DIR/winprobe.out" 2>&1
}

# Prints winprobe's answer; fails the test when winprobe does.
probe() {
  local status=0
  run_winprobe "$@" || status=$?
  [ $status -eq 0 ] || fail "winprobe $*: $(cat "$WORK_DIR/winprobe.out") (exit status $status)"
  cat "$WORK_DIR/winprobe.out"
}

# watch_bar_begin ID MAX: has winprobe watch a progress bar of the main window in the
# background, from before whatever moves it starts, until it reaches MAX.
watch_bar_begin() {
  timeout 300 "$WINE_RUN" "$WINPROBE_EXE" watch-pos 240 "$MAIN" "$1" "$2" \
    </dev/null >"$WORK_DIR/watch.out" 2>&1 &
  WATCH_PID=$!
  STARTED_PIDS+=("$WATCH_PID")
  timeout 60 bash -c 'until grep -qx watching "$1"; do sleep 0.05; done' _ "$WORK_DIR/watch.out" ||
    fail "winprobe did not start watching bar $1: $(cat "$WORK_DIR/watch.out")"
}

# wait_bar_at_least N: waits until the watched bar has shown N or more.
wait_bar_at_least() {
  timeout 120 bash -c 'until tail -n 1 "$1" | grep -qxE "[0-9]+" && [ "$(tail -n 1 "$1")" -ge "$2" ]; do sleep 0.05; done' \
    _ "$WORK_DIR/watch.out" "$1" || fail "the watched bar never reached $1: $(tr '\n' ' ' <"$WORK_DIR/watch.out")"
}

# watch_bar_end: waits for the watch to end; sets BAR_VALUES, the positions the bar
# showed in turn, one a line.
watch_bar_end() {
  local status=0
  wait "$WATCH_PID" || status=$?
  [ $status -eq 0 ] || fail "watching the bar: $(tr '\n' ' ' <"$WORK_DIR/watch.out") (exit status $status)"
  BAR_VALUES=$(grep -vx watching "$WORK_DIR/watch.out")
}

# The Windows path of a file: Wine's drive Z: is the root of the file system.
win_path() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s\n' "${path//\//\\}"
}

# make_disc NAME DESCRIPTION: writes a disc image; prints its CUE sheet's path.
make_disc() {
  "$MAKE_DISC" "$DISC_DIR" "$1" "$2" || fail "make-disc could not write \"$2\""
}

# launch_korvello DRIVES: starts the program in the scratch folder with KORVELLO_DRIVES
# set to DRIVES and its drive journal in $JOURNAL; sets LAUNCHED_PID.
launch_korvello() {
  (
    cd "$RUN_DIR"
    export KORVELLO_DRIVES="$1" KORVELLO_DRIVE_LOG
    KORVELLO_DRIVE_LOG=$(win_path "$JOURNAL")
    exec timeout 300 "$WINE_RUN" "$KORVELLO_EXE" </dev/null >>"$WORK_DIR/wine.log" 2>&1
  ) &
  LAUNCHED_PID=$!
  STARTED_PIDS+=("$LAUNCHED_PID")
}

# start_korvello DRIVES: launches the program and waits for its main window; sets
# KORVELLO_PID and MAIN, the main window's handle.
start_korvello() {
  launch_korvello "$1"
  KORVELLO_PID=$LAUNCHED_PID
  MAIN=$(probe wait 60 Korvello '#32770')
}

# wait_dialog TITLE: waits for a dialog to show and take the keyboard; prints its handle.
# open_selection: Ctrl+C in the main window, then the selection dialog's handle. A window
# closing in another process (the folder window of the last copy) can take the keyboard
# just as the keys go; the keys then go again to the main window, made active. A second
# Ctrl+C cannot start a second copy: the main window is disabled once one runs.
open_selection() {
  local attempt
  for attempt in 1 2 3; do
    press ctrl+c
    if run_winprobe wait 10 "Please check tracks for record" '#32770'; then
      wait_dialog "Please check tracks for record"
      return
    fi
    activate "$MAIN" >/dev/null
  done
  fail "Ctrl+C opened no selection dialog"
}

wait_dialog() {
  local window
  window=$(probe wait 60 "$1" '#32770')
  probe wait-is 60 "$window" active 1
  echo "$window"
}

# wait_exit PID SECONDS: waits for a program started here to end; sets EXIT_STATUS.
wait_exit() {
  timeout "$2" tail --pid="$1" -f /dev/null || fail "the program did not end within $2 s"
  EXIT_STATUS=0
  wait "$1" || EXIT_STATUS=$?
}

# Key presses into the active window of the Wine desktop.
press() { timeout 30 xdotool key --delay 100 "$@" || fail "xdotool key $* failed"; }

# Holds Escape long enough for a program polling GetAsyncKeyState to see it.
hold_escape() {
  timeout 10 xdotool keydown Escape || fail "xdotool keydown Escape failed"
  sleep 0.4
  timeout 10 xdotool keyup Escape || fail "xdotool keyup Escape failed"
}

# activate WINDOW: makes a window the active one, as a click on it would.
activate() {
  probe activate "$1"
  probe wait-is 20 "$1" active 1
}

# shot NAME: a screenshot of the whole desktop into the screenshot folder.
shot() {
  local file="$SHOT_DIR/$TEST_NAME-$1.png"
  import -display "$DISPLAY" -window root "$file" || fail "could not take screenshot $file"
  echo "screenshot: $file"
}

# wait_msgbox OWNER EXPECTED_TEXT: waits for a message box of OWNER captioned "Korvello"
# with the given text; sets MSGBOX to its handle.
wait_msgbox() {
  local line caption text
  line=$(probe wait-msgbox 120 "$1")
  IFS=$'\t' read -r MSGBOX caption text <<<"$line"
  expect_eq "$caption" Korvello "caption of the message box"
  expect_eq "$text" "$2" "text of the message box"
}

expect_no_msgbox() {
  local boxes
  boxes=$(probe msgboxes)
  expect_eq "$boxes" "" "message boxes on the desktop"
}

# wait_request LINE: waits until the journal shows LINE after the lines matched so far.
wait_request() {
  local at
  timeout 60 bash -c 'until tail -n +"$(( $3 + 1 ))" "$2" 2>/dev/null | grep -qxF -- "$1"; do sleep 0.1; done' \
    _ "$1" "$JOURNAL" "$JOURNAL_SEEN" ||
    fail "the drive journal never showed \"$1\"; its last lines: $(tail -n 8 "$JOURNAL" 2>/dev/null | tr '\n' '|')"
  at=$(tail -n +"$(( JOURNAL_SEEN + 1 ))" "$JOURNAL" | grep -nxF -m1 -- "$1" | cut -d: -f1)
  JOURNAL_SEEN=$(( JOURNAL_SEEN + at ))
}

# Makes wait_request look only at lines the journal gets from now on.
journal_mark_end() {
  JOURNAL_SEEN=$(wc -l <"$JOURNAL")
}

# The journal's requests other than opening, closing and reading the table of contents.
journal_requests() {
  grep -vE '^(OPEN|CLOSE|READ_TOC|GET_LAST_SESSION) ' "$JOURNAL" || true
}

# Every OPEN of the journal is closed before the drive is opened again, and at the end.
expect_drive_closed_after_use() {
  awk '/^OPEN [A-Z]:$/ { if (open) bad = 1; open = 1 }
       /^CLOSE [A-Z]:$/ { if (!open) bad = 1; open = 0 }
       END { exit (bad || open) }' "$JOURNAL" ||
    fail "the journal does not pair every OPEN with a CLOSE: $(grep -E '^(OPEN|CLOSE)' "$JOURNAL" | tr '\n' '|')"
}

# msf LBA: the disc address MM:SS:FF of a logical block (MSF 00:02:00 is block 0).
msf() {
  local frames=$(( $1 + 150 ))
  printf '%02d:%02d:%02d\n' $(( frames / 4500 )) $(( frames / 75 % 60 )) $(( frames % 75 ))
}

# track_samples CUE NUMBER: the bytes of track NUMBER as its CUE sheet places them in its
# BIN file, from INDEX 01 to the next track's INDEX 01 in the same file or the file's end.
track_samples() {
  local cue=$1 layout file start end
  layout=$(awk -v want="$2" '
    function frames(t,  p) { split(t, p, ":"); return (p[1] * 60 + p[2]) * 75 + p[3] }
    /^FILE / { match($0, /"[^"]*"/); file = substr($0, RSTART + 1, RLENGTH - 2) }
    /^ *TRACK / { number = $2 + 0 }
    /^ *INDEX 01 / { in_file[number] = file; at[number] = frames($3) }
    END {
      want += 0; next_track = want + 1
      if (!(want in in_file)) exit
      end = (next_track in in_file && in_file[next_track] == in_file[want]) ? at[next_track] : -1
      print in_file[want] "\t" at[want] "\t" end
    }' "$cue")
  [ -n "$layout" ] || fail "track $2 is not in $cue"
  IFS=$'\t' read -r file start end <<<"$layout"
  file="$(dirname "$cue")/$file"
  if [ "$end" -ge 0 ]; then
    dd if="$file" bs=2352 skip="$start" count=$(( end - start )) status=none
  else
    dd if="$file" bs=2352 skip="$start" status=none
  fi
}

wav_bytes() { # FILE OFFSET COUNT
  dd if="$1" bs=1 skip="$2" count="$3" status=none
}

# expect_wav WAV CUE NUMBER: WAV is the 44-byte header of 16-bit stereo 44100 Hz PCM
# followed by exactly the samples of track NUMBER of the disc.
expect_wav() {
  local wav=$1 samples bytes
  [ -f "$wav" ] || fail "no file $wav"
  samples="$WORK_DIR/expected-samples"
  track_samples "$2" "$3" >"$samples"
  bytes=$(stat -c %s "$samples")
  [ "$bytes" -gt 0 ] || fail "track $3 of $2 has no samples"
  expect_eq "$(stat -c %s "$wav")" $(( 44 + bytes )) "size of $wav"
  expect_eq "$(wav_bytes "$wav" 0 4)" RIFF "$wav bytes 0-3"
  expect_eq "$(od -An -t u4 -j 4 -N 4 "$wav" | tr -d ' ')" $(( 36 + bytes )) "$wav RIFF size"
  expect_eq "$(wav_bytes "$wav" 8 8)" "WAVEfmt " "$wav bytes 8-15"
  expect_eq "$(od -An -t u4 -j 16 -N 4 "$wav" | tr -d ' ')" 16 "$wav format size"
  expect_eq "$(od -An -t u2 -j 20 -N 4 "$wav" | tr -s ' ')" " 1 2" "$wav PCM, channels"
  expect_eq "$(od -An -t u4 -j 24 -N 8 "$wav" | tr -s ' ')" " 44100 176400" "$wav rate, bytes per second"
  expect_eq "$(od -An -t u2 -j 32 -N 4 "$wav" | tr -s ' ')" " 4 16" "$wav block align, bits"
  expect_eq "$(wav_bytes "$wav" 36 4)" data "$wav bytes 36-39"
  expect_eq "$(od -An -t u4 -j 40 -N 4 "$wav" | tr -d ' ')" "$bytes" "$wav data size"
  cmp -s -i 44:0 "$wav" "$samples" || fail "$wav: the samples differ from track $3 of $2"
}
