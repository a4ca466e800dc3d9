// Disc images made to order, for tests and the demo disc: a CUE sheet and its BIN files
// with deterministic content, and where each track lies on the disc the emulated drive
// makes of them. Platform-free; paths are used as given.
#ifndef KORVELLO_DISC_FIXTURE_H
#define KORVELLO_DISC_FIXTURE_H

#include <cstdint>
#include <string>
#include <vector>

struct FixtureTrack {
    enum Kind { Audio, Mode1Raw /* MODE1/2352 */, Mode2Raw /* MODE2/2352 */, Mode1Cooked /* MODE1/2048 */ };
    Kind kind = Audio;
    int frames = 75;         // sectors from INDEX 01 to the track's end
    int pregapFrames = 0;    // INDEX 00 sectors stored in the file before INDEX 01
    int session = 1;
    double toneHz = 0;       // 0: pseudo-random samples seeded by the track's number; else a sine tone
};

struct FixtureDisc {
    std::vector<FixtureTrack> tracks;
    std::vector<std::string> remLines;  // written as "REM <line>", e.g. "EMULATOR READ_ERROR 1200"
    bool filePerTrack = true;           // one BIN per track, as rippers write them; else one BIN
};

// 1 when the disc can be written: 1 to 99 tracks of at least one frame, sessions that
// start at 1 and follow one another, tones below 22050 Hz, no more than 99:59:74 of disc,
// MODE1/2048 tracks alone in their files, REM lines of one line each. Else 0 with *error.
int CheckFixtureDisc(const FixtureDisc& disc, std::string* error);

// Writes <dir>/<name>.cue and its BIN file(s); returns the CUE's path, or "" on failure.
std::string WriteFixtureDisc(const std::string& dir, const std::string& name, const FixtureDisc& disc);

// The disc LBA at which track i (0-based in disc.tracks) starts (its INDEX 01), and where
// the lead-out starts; -1 for a track the disc does not have.
int FixtureTrackStartLba(const FixtureDisc& disc, int trackIndex);
int FixtureLeadOutLba(const FixtureDisc& disc);

// The samples of track i as written (INDEX 01 to its end), frames x 2352 bytes, for
// comparing copies. Data tracks come as raw sectors, as the drive reads them.
std::vector<uint8_t> FixtureTrackSamples(const FixtureDisc& disc, int trackIndex);

// Parses a short description, e.g. "audio 30s 440Hz; audio 20s 660Hz; session 2; data 10s"
// (lengths as Ns, or N frames as Nf; kinds audio|data|mode2|data2048; "pregap Nf" per track;
// options "rem TEXT" lines and "onefile"). Returns 1 on success, 0 with *error set.
int ParseFixtureDescription(const std::string& text, FixtureDisc* disc, std::string* error);

#endif
