// The platform's CD-ROM device control codes and records, and the check that the byte
// layouts the platform-free code declares for them (disc/toc_record.h) are the same.
#ifndef KORVELLO_CDROM_REQUESTS_H
#define KORVELLO_CDROM_REQUESTS_H

#include <windows.h>
#include <winioctl.h>
#include <ntddcdrm.h>

#include <cstddef>

#include "disc/toc_record.h"

static_assert(sizeof(CDROM_TOC) == sizeof(TocRecord), "CDROM_TOC size");
static_assert(offsetof(CDROM_TOC, FirstTrack) == offsetof(TocRecord, firstTrack), "FirstTrack");
static_assert(offsetof(CDROM_TOC, LastTrack) == offsetof(TocRecord, lastTrack), "LastTrack");
static_assert(offsetof(CDROM_TOC, TrackData) == offsetof(TocRecord, trackData), "TrackData");
static_assert(sizeof(TRACK_DATA) == sizeof(TocTrackData), "TRACK_DATA size");
static_assert(offsetof(TRACK_DATA, TrackNumber) == offsetof(TocTrackData, trackNumber), "TrackNumber");
static_assert(offsetof(TRACK_DATA, Address) == offsetof(TocTrackData, address), "Address");
static_assert(sizeof(CDROM_TOC_SESSION_DATA) == sizeof(TocSessionRecord), "session record size");
static_assert(offsetof(CDROM_TOC_SESSION_DATA, LastCompleteSession) ==
                  offsetof(TocSessionRecord, lastCompleteSession), "LastCompleteSession");
static_assert(offsetof(CDROM_TOC_SESSION_DATA, TrackData) == offsetof(TocSessionRecord, trackData),
              "session TrackData");
static_assert(sizeof(RAW_READ_INFO) == sizeof(RawReadRecord), "RAW_READ_INFO size");
static_assert(offsetof(RAW_READ_INFO, SectorCount) == offsetof(RawReadRecord, sectorCount), "SectorCount");
static_assert(offsetof(RAW_READ_INFO, TrackMode) == offsetof(RawReadRecord, trackMode), "TrackMode");
static_assert(static_cast<uint32_t>(CDDA) == kTrackModeCdda, "CDDA");
static_assert(sizeof(CDROM_PLAY_AUDIO_MSF) == sizeof(PlayAudioMsfRecord), "CDROM_PLAY_AUDIO_MSF size");
static_assert(offsetof(CDROM_PLAY_AUDIO_MSF, EndingM) == offsetof(PlayAudioMsfRecord, endingM), "EndingM");

#endif
