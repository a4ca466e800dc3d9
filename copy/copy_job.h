// The Copy command: the ticked tracks, read sector by sector on a worker thread, each
// written as a WAV file into a new dated folder.
#ifndef KORVELLO_COPY_JOB_H
#define KORVELLO_COPY_JOB_H

#include "disc/disc_context.h"

// Disables the main window and starts the worker, which enables it again when done.
void StartCopyJob(DiscContext& context);

// The whole job; every outcome has been shown to the user when it returns.
void RunCopyJob(DiscContext& context);

#endif
