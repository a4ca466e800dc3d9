#!/usr/bin/env bash
# The play-track dialog, driven by keyboard, and the About box opened by its shortcuts and
# by the Help menu.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"

# Four tracks of 4, 3, 2 and 5 seconds, then a data track in session 2.
cue=$(make_disc dialogs "audio 4s 440Hz; audio 3s 660Hz; audio 2s; audio 5s 880Hz; session 2; data 2s")
track_start() { # NUMBER: the disc address of the track's start
  local lengths=(0 4 3 2 5) seconds=0 k
  for (( k = 1; k < $1; k++ )); do seconds=$(( seconds + lengths[k] )); done
  msf $(( seconds * 75 ))
}
session_end=$(msf $(( 14 * 75 )))

start_korvello "E=$(win_path "$cue")"
activate "$MAIN"

step "Ctrl+T lists the tracks, none chosen; Enter alone asks for a line"
press ctrl+t
dialog=$(wait_dialog "Select a track")
expect_probe 0 "main window enabled under the dialog" is "$MAIN" enabled
# The rows carry state image 2 ("checked"): the list shares the copy dialog's filling,
# though this one shows no check boxes.
expected_rows=$'0\tchecked\t01\t00:04\n1\tchecked\t02\t00:03\n2\tchecked\t03\t00:02\n3\tchecked\t04\t00:05'
expect_probe "$expected_rows" "rows of the play-track list" list "$dialog" 1003
shot play-track
press Return
wait_msgbox "$dialog" "Please select a line in list box!"
activate "$MSGBOX"
press Return
probe gone 20 "$MSGBOX"
activate "$dialog"

step "Down three times chooses line 3; Enter plays track 3 alone"
press Down Down Down
rows=$(probe list "$dialog" 1003)
expect_eq "$(awk -F '\t' '$2 ~ /selected/ { print $1 ":" $2 }' <<<"$rows")" "2:checked,selected,focused" \
  "chosen line after Down x3"
press Return
wait_request "PLAY_AUDIO_MSF E: $(track_start 3) $(track_start 4) ok"
probe gone 20 "$dialog"
probe wait-is 20 "$MAIN" enabled 1

step "End chooses the last audio track, which plays to the end of session 1"
activate "$MAIN"
press ctrl+t
dialog=$(wait_dialog "Select a track")
press End Return
wait_request "PLAY_AUDIO_MSF E: $(track_start 4) $session_end ok"
probe gone 20 "$dialog"

step "Escape leaves the dialog without playing"
activate "$MAIN"
press ctrl+t
dialog=$(wait_dialog "Select a track")
press Down Escape
probe gone 20 "$dialog"
probe wait-is 20 "$MAIN" enabled 1

step "Alt+/ and Alt+? open the About box; Escape and Enter close it"
about_texts=$'Korvello version 1.2\nWritten by the Korvello developers\n(C) 2026 Korvello developers'
for keys in alt+slash alt+question; do
  activate "$MAIN"
  press "$keys"
  about=$(wait_dialog Dialog)
  texts=$(for id in 1007 1008 1009; do probe text "$about" "$id"; done)
  expect_eq "$texts" "$about_texts" "About box texts ($keys)"
  if [ "$keys" = alt+slash ]; then
    shot about
    press Escape
  else
    press Return
  fi
  probe gone 20 "$about"
done

step "the Help menu's About by keyboard: Alt+H, A"
activate "$MAIN"
press alt+h a
about=$(wait_dialog Dialog)
press Escape
probe gone 20 "$about"

step "nothing but the two plays reached the drive; the window closes as usual"
probe close "$MAIN"
wait_exit "$KORVELLO_PID" 60
expect_eq "$EXIT_STATUS" 1 "exit status after closing"
expected=$(printf '%s\n' "PLAY_AUDIO_MSF E: $(track_start 3) $(track_start 4) ok" \
  "PLAY_AUDIO_MSF E: $(track_start 4) $session_end ok" "STOP_AUDIO E: ok")
expect_eq "$(journal_requests)" "$expected" "drive requests"
expect_drive_closed_after_use
step "passed"
