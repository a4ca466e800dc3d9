// The drive's own audio play: play a range, pause and resume, stop.
#ifndef KORVELLO_PLAYBACK_H
#define KORVELLO_PLAYBACK_H

#include "disc/disc_context.h"

// Index 0 plays the whole disc; k > 0 plays table entry k alone.
void PlayRange(DiscContext& context, int index);
void TogglePause(DiscContext& context);
void StopAudio(DiscContext& context);

#endif
