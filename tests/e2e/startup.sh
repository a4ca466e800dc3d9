#!/usr/bin/env bash
# Start-up: the main window with its drive list, labels, bars and menus; closing it; and
# a second start while the first is minimised.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"

cue=$(make_disc startup "audio 4s 440Hz; audio 3s 660Hz; session 2; data 2s")
drives="E=$(win_path "$cue");F="

step "the main window: title, drives, labels, bars"
start_korvello "$drives"
expect_probe Korvello "main window title" title "$MAIN"
expect_probe $'* E:\n  F:' "drive list (E: chosen)" combo "$MAIN" 1004
expect_probe "Current track" "track label" text "$MAIN" 1006
expect_probe "Total progress" "total label" text "$MAIN" 1008
expect_probe 0 "track bar" pos "$MAIN" 1005
expect_probe 0 "total bar" pos "$MAIN" 1007
expect_probe 1 "main window enabled" is "$MAIN" enabled
shot main-window

step "the menu the program is built with"
expected_menu=$(cat <<'MENU'
Disk
  &Play\tCTRL+P
  Play &track...\tCTRL+T
  P&ause / Resume\tCTRL+S
  ---
  &Copy...\tCTRL+C
  ---
  E&xit\tALT+F4
&Help
  &About ...\tALT+?
  ---
  Home page
MENU
)
expect_probe "$expected_menu" "menu resource 109" menu "$(win_path "$KORVELLO_EXE")" 109

step "the live menu, by keyboard: Alt+H opens Help, Left moves to Disk, P plays"
activate "$MAIN"
press alt+h
probe wait 20 "" '#32768' >/dev/null
press Left
sleep 0.5   # the menu bar moves to Disk and paints it; the screenshot only shows it
shot disk-menu
press p
# Play from track 1 to the end of session 1: 7 s of audio after 00:02:00.
play="PLAY_AUDIO_MSF E: 00:02:00 $(msf $(( (4 + 3) * 75 ))) ok"
wait_request "$play"

step "closing the window stops the audio and ends the program with status 1"
probe close "$MAIN"
wait_request "STOP_AUDIO E: ok"
wait_exit "$KORVELLO_PID" 60
expect_eq "$EXIT_STATUS" 1 "exit status after closing"
expect_eq "$(journal_requests)" "$play"$'\nSTOP_AUDIO E: ok' "drive requests"
expect_drive_closed_after_use

step "a second start brings the minimised first one back and exits with 0"
start_korvello "$drives"
first=$MAIN
probe minimize "$first"
probe wait-is 20 "$first" iconic 1
launch_korvello "$drives"
wait_exit "$LAUNCHED_PID" 120
expect_eq "$EXIT_STATUS" 0 "exit status of the second start"
probe wait-is 20 "$first" iconic 0
probe wait-is 20 "$first" active 1
korvello_windows=$(probe windows | awk -F '\t' '$2 == "#32770" && $3 == "Korvello"' | wc -l)
expect_eq "$korvello_windows" 1 "Korvello windows after the second start"
shot restored

probe close "$first"
wait_exit "$KORVELLO_PID" 60
expect_eq "$EXIT_STATUS" 1 "exit status after closing"
step "passed"
