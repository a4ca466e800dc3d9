#!/usr/bin/env bash
# Real key presses into the main window: play, pause and resume reach the drive; Enter
# and Escape do not close it; closing it stops the audio; with no drive at all, closing
# says so and the program still ends.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"

cue=$(make_disc keyboard "audio 4s 440Hz; audio 3s 660Hz; audio 2s 880Hz; session 2; data 2s")
# The data track opens session 2 11400 frames after session 1's audio ends (9 s); play
# of the whole disc stops where that audio ends, not at the data track.
data_start=$(( 9 * 75 + 11400 ))
play="PLAY_AUDIO_MSF E: 00:02:00 $(msf $(( data_start - 11400 ))) ok"

start_korvello "E=$(win_path "$cue")"
activate "$MAIN"

step "Ctrl+S before any play asks to resume, then to pause; the drive refuses both"
press ctrl+s
wait_request "RESUME_AUDIO E: failed"
press ctrl+s
wait_request "PAUSE_AUDIO E: failed"

step "Ctrl+P plays the disc's audio; Ctrl+S pauses and resumes it"
press ctrl+p
wait_request "$play"
press ctrl+s
wait_request "PAUSE_AUDIO E: ok"
press ctrl+s
wait_request "RESUME_AUDIO E: ok"

step "Enter and Escape leave the window open and working"
press Return Escape
# Keys are handled in order: the answer to this Ctrl+S comes after Enter and Escape were.
press ctrl+s
wait_request "PAUSE_AUDIO E: ok"
expect_probe 1 "main window enabled after Enter and Escape" is "$MAIN" enabled
expect_probe Korvello "main window after Enter and Escape" title "$MAIN"
expect_no_msgbox

step "closing the window stops the audio; the program ends with status 1"
probe close "$MAIN"
wait_request "STOP_AUDIO E: ok"
wait_exit "$KORVELLO_PID" 60
expect_eq "$EXIT_STATUS" 1 "exit status after closing"
expected=$(cat <<REQUESTS
RESUME_AUDIO E: failed
PAUSE_AUDIO E: failed
$play
PAUSE_AUDIO E: ok
RESUME_AUDIO E: ok
PAUSE_AUDIO E: ok
STOP_AUDIO E: ok
REQUESTS
)
expect_eq "$(journal_requests)" "$expected" "drive requests"
expect_drive_closed_after_use

step "with no drive at all, closing says the device cannot be made, then the program ends"
lines_before=$(wc -l <"$JOURNAL")
start_korvello ""
expect_probe "" "drive list with no drive" combo "$MAIN" 1004
probe close "$MAIN"
wait_msgbox "$MAIN" "Can not create the device!"
shot no-drive-message
activate "$MSGBOX"
press Return
wait_exit "$KORVELLO_PID" 60
expect_eq "$EXIT_STATUS" 1 "exit status after closing with no drive"
expect_eq "$(wc -l <"$JOURNAL")" "$lines_before" "journal lines after a run with no drive"
step "passed"
