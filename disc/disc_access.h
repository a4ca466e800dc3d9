// Opening the chosen drive and reading its table of contents into the track table.
#ifndef KORVELLO_DISC_ACCESS_H
#define KORVELLO_DISC_ACCESS_H

#include "disc/disc_context.h"

extern const char kCannotCreateDevice[];
extern const char kInsertAudioDisc[];
extern const char kDiscNotTheSame[];

// Opens the drive selected in the main window's drive list. 1 on success; on failure
// tells the user and returns 0.
int OpenDrive(DiscContext& context);
void CloseDrive(DiscContext& context);

// Reads the table of contents into the track table. Returns the number of audio
// tracks; 0, after telling the user, when there are none to read.
int ReadTrackTable(DiscContext& context);

// Reads the table again and checks it against the one in memory, keeping the ticks
// when it is the same disc. 1 when the same; 0 after telling the user otherwise.
int ConfirmSameDisc(DiscContext& context);

#endif
