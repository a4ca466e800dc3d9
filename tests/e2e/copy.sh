#!/usr/bin/env bash
# Copying a disc: the selection dialog, the copy under way with its bars, the success
# message and the folder it opens, WAV files equal to the disc's tracks, and Escape
# during a copy (No carries on, Yes breaks off).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"

# Paced as an 8x drive (600 sectors/s): 45 s of audio takes about 6 s to read.
cue=$(make_disc copy "audio 20s 440Hz; audio 15s 660Hz; audio 10s; session 2; data 5s; rem EMULATOR SPEED 8")
track_lbas=(- 0 1500 2625 3375)   # track n spans track_lbas[n] .. track_lbas[n+1]-1
all_checked=$'0\tchecked\t01\t00:20\n1\tchecked\t02\t00:15\n2\tchecked\t03\t00:10'
day_before=$(date +%Y-%m-%d)

# raw_reads NUMBER...: the journal lines of reading those tracks, one sector at a time.
raw_reads() {
  local n
  for n in "$@"; do
    seq "${track_lbas[n]}" $(( track_lbas[n + 1] - 1 )) | sed 's/.*/RAW_READ E: & 1 ok/'
  done
}

# The copy folders in the scratch folder, oldest first.
copy_folders() {
  (cd "$RUN_DIR" && ls -1dtr -- "Audio Disk copy "* 2>/dev/null) || true
}

# finish_copy FOLDER: the success message is up; dismisses it, checks that FOLDER was
# opened in a window and closes that, and waits for the main window to come back.
finish_copy() {
  local folder=$1 explorer
  expect_probe 0 "main window enabled under the success message" is "$MAIN" enabled
  probe click "$MSGBOX" 1
  probe gone 20 "$MSGBOX"
  explorer=$(probe wait 60 "$folder" ExplorerWClass)
  probe close "$explorer"
  probe gone 20 "$explorer"
  probe wait-is 20 "$MAIN" enabled 1
  activate "$MAIN"
}

start_korvello "E=$(win_path "$cue")"
activate "$MAIN"

step "Ctrl+C opens the selection dialog with every track ticked"
dialog=$(open_selection)
expect_probe 0 "main window enabled under the selection dialog" is "$MAIN" enabled
expect_probe "$all_checked" "rows of the selection list" list "$dialog" 1003
shot selection

step "Set all to off, then Start, asks for a track; Set all to on ticks them again"
probe click "$dialog" 4
wait_probe "${all_checked//$'\tchecked'/$'\tunchecked'}" "rows after Set all to off" list "$dialog" 1003
probe click "$dialog" 1
wait_msgbox "$dialog" "Please check at least one track!"
probe click "$MSGBOX" 1
probe gone 20 "$MSGBOX"
probe click "$dialog" 3
wait_probe "$all_checked" "rows after Set all to on" list "$dialog" 1003

step "Enter starts the copy; the bars advance while the main window is disabled"
activate "$dialog"
watch_bar_begin 1007 100
press Return
wait_bar_at_least 20
shot copy-under-way
# Disabled from Start until the success message is dismissed, so never racing the copy.
expect_probe 0 "main window enabled during the copy" is "$MAIN" enabled
track_label=$(probe text "$MAIN" 1006)
[[ $track_label =~ ^Current\ track:\ [123]$ ]] || fail "track label during the copy: \"$track_label\""
total_label=$(probe text "$MAIN" 1008)
[[ $total_label =~ ^Total\ progress:\ [0-3]\ /\ 3$ ]] || fail "total label during the copy: \"$total_label\""

step "the success message; the bars and labels at the end"
wait_msgbox "$MAIN" "The audio disk has copied successfully."
shot copy-done
watch_bar_end
echo "the total bar showed $(wc -l <<<"$BAR_VALUES") positions, from $(head -n 1 <<<"$BAR_VALUES") to $(tail -n 1 <<<"$BAR_VALUES")"
awk 'NR > 1 && $1 <= previous { exit 1 } { previous = $1; if ($1 > 0 && $1 < 100) between++ }
     END { exit !(previous == 100 && between >= 3) }' <<<"$BAR_VALUES" ||
  fail "the total bar did not rise step by step to 100: $(echo $BAR_VALUES)"
expect_probe 100 "track bar at the end" pos "$MAIN" 1005
expect_probe "Current track: 3" "track label at the end" text "$MAIN" 1006
expect_probe "Total progress: 3 / 3" "total label at the end" text "$MAIN" 1008
first_folder=$(copy_folders)
finish_copy "$first_folder"

step "the dated folder holds each track as a WAV file equal to the disc's samples"
day_after=$(date +%Y-%m-%d)
[[ $first_folder =~ ^Audio\ Disk\ copy\ ($day_before|$day_after)\ ([0-9]|1[0-9]|2[0-3])-([0-9]|[1-5][0-9])$ ]] ||
  fail "copy folder name \"$first_folder\""
expect_eq "$(ls -1 "$RUN_DIR/$first_folder")" $'track 01.wav\ntrack 02.wav\ntrack 03.wav' "files copied"
for n in 1 2 3; do expect_wav "$RUN_DIR/$first_folder/track 0$n.wav" "$cue" "$n"; done
expect_eq "$(journal_requests)" "$(echo 'STOP_AUDIO E: ok'; raw_reads 1 2 3)" \
  "drive requests of the copy: stop the audio, then each sector once, in order"
reads_so_far=$(grep -c '^RAW_READ' "$JOURNAL")

step "Cancel in the selection dialog copies nothing"
dialog=$(open_selection)
probe click "$dialog" 2
probe gone 20 "$dialog"
probe wait-is 20 "$MAIN" enabled 1
expect_no_msgbox
expect_eq "$(copy_folders)" "$first_folder" "copy folders after Cancel"
activate "$MAIN"

step "a track unticked with the keyboard is left out; Escape held, then No, carries on"
dialog=$(open_selection)
press Down space
wait_probe "${all_checked/$'0\tchecked'/$'0\tunchecked,selected,focused'}" \
  "rows after Down and space" list "$dialog" 1003
journal_mark_end
press Return
wait_request "RAW_READ E: ${track_lbas[2]} 1 ok"   # under way, at track 2
hold_escape
wait_msgbox "$MAIN" "Break copy. Are you sure?"
shot break-question
activate "$MSGBOX"
press Return   # No is the default answer
probe gone 20 "$MSGBOX"
expect_probe 0 "main window enabled after No, the copy carrying on" is "$MAIN" enabled
wait_msgbox "$MAIN" "The audio disk has copied successfully."
second_folder=$(copy_folders | tail -n 1)
[[ $second_folder == "$first_folder (2)" ||
   ( $second_folder != "$first_folder" && $second_folder != *"("* ) ]] ||
  fail "second copy folder \"$second_folder\" after \"$first_folder\""
finish_copy "$second_folder"
expect_eq "$(ls -1 "$RUN_DIR/$second_folder")" $'track 02.wav\ntrack 03.wav' "files of the second copy"
for n in 2 3; do expect_wav "$RUN_DIR/$second_folder/track 0$n.wav" "$cue" "$n"; done
expect_eq "$(grep '^RAW_READ' "$JOURNAL" | tail -n +$(( reads_so_far + 1 )))" "$(raw_reads 2 3)" \
  "reads of the second copy: each sector of tracks 2 and 3 once, the question losing none"
reads_so_far=$(grep -c '^RAW_READ' "$JOURNAL")

step "Escape held, then Yes, breaks the copy off: no message, no file of the broken track"
open_selection >/dev/null
journal_mark_end
press Return
wait_request "RAW_READ E: ${track_lbas[1]} 1 ok"
hold_escape
wait_msgbox "$MAIN" "Break copy. Are you sure?"
probe click "$MSGBOX" 6
probe gone 20 "$MSGBOX"
probe wait-is 20 "$MAIN" enabled 1
expect_no_msgbox
third_folder=$(copy_folders | tail -n 1)
[ "$third_folder" != "$second_folder" ] || fail "the third copy made no folder"
reads=$(grep '^RAW_READ' "$JOURNAL" | tail -n +$(( reads_so_far + 1 )))
written=0
for n in 1 2 3; do
  # A track is written exactly when its last sector was read before the break.
  if grep -qxF "RAW_READ E: $(( track_lbas[n + 1] - 1 )) 1 ok" <<<"$reads"; then
    expect_wav "$RUN_DIR/$third_folder/track 0$n.wav" "$cue" "$n"
    written=$(( written + 1 ))
  elif [ -e "$RUN_DIR/$third_folder/track 0$n.wav" ]; then
    fail "track $n was written though the copy broke off before its end"
  fi
done
[ "$written" -lt 3 ] || fail "every track was read: the break came too late to be seen"
expect_drive_closed_after_use

probe close "$MAIN"
wait_exit "$KORVELLO_PID" 60
expect_eq "$EXIT_STATUS" 1 "exit status after closing"
step "passed"
