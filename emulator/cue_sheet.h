// Reads a CUE sheet into the layout of the disc it describes. Platform-free, and safe on
// any text: a sheet that does not make sense is rejected with a reason, never trusted.
#ifndef KORVELLO_CUE_SHEET_H
#define KORVELLO_CUE_SHEET_H

#include <cstdint>
#include <string>
#include <vector>

enum CueTrackMode { kCueAudio, kCueMode1Raw, kCueMode2Raw, kCueMode1Cooked };

enum : int {
    kMaxLeadOutLba = 99 * 4500 + 59 * 75 + 74 - 150,  // the last address MSF can express
    kSecondSessionGap = 11400,  // lead-out, lead-in and pregap between sessions 1 and 2
    kLaterSessionGap = 6900,    // the same between later sessions
};

// Bytes a sector of the mode takes in the image file: 2048 for MODE1/2048, else 2352.
int CueSectorBytes(CueTrackMode mode);

// A decimal number of at most nine digits, no sign, not above maxValue: 1 and *value, or 0.
int ParseNumber(const std::string& word, int maxValue, int* value);

struct CueTrack {
    int number = 0;
    CueTrackMode mode = kCueAudio;
    int fileIndex = 0;          // into CueSheet::files
    int index00 = -1;           // sectors from the file's start; -1 when absent
    int index01 = -1;
    int pregapFrames = 0;       // PREGAP: silence before INDEX 01 that is not in the file
    int postgapFrames = 0;      // POSTGAP: silence after the track that is not in the file
    int session = 1;
    int control = 0;            // 0 audio, 4 data, unless the sheet sets it
};

struct CueSheet {
    std::vector<std::string> files;    // as written in the sheet, in order
    std::vector<CueTrack> tracks;      // in order, numbers increasing
    // Faults the emulated drive shows, from "REM EMULATOR ..." lines.
    std::vector<int> readErrorLbas;    // sorted: reads of these sectors fail
    std::vector<int> shortReadLbas;    // sorted: reads stop half-way into these sectors
    bool noToc = false;                // the table of contents cannot be read
    bool playRefused = false;          // play requests fail
    double speed = 0;                  // reads paced as a drive of this speed; 0 unpaced
};

// Parses the text of a sheet. Returns 1, or 0 with *error saying what is wrong.
int ParseCueSheet(const std::string& text, CueSheet* sheet, std::string* error);

// The file a FILE line names, found from the folder of the sheet: relative names are
// taken from that folder, with either kind of slash.
std::string CueFilePath(const std::string& cuePath, const std::string& fileName);

struct DiscTrack {
    int number = 0;
    CueTrackMode mode = kCueAudio;
    int control = 0;
    int session = 1;
    int startLba = 0;           // INDEX 01
};

// A run of sectors that follow one another on the disc.
struct DiscExtent {
    int firstLba = 0;
    int sectorCount = 0;
    int fileIndex = -1;         // -1: silence (PREGAP, POSTGAP), in no file
    int64_t fileOffset = 0;     // byte offset of the first sector in its file
    CueTrackMode mode = kCueAudio;
};

struct DiscLayout {
    std::vector<DiscTrack> tracks;
    std::vector<DiscExtent> extents;   // ascending; what lies between them cannot be read
    int leadOutLba = 0;
    int sessionCount = 0;
};

// Places the sheet's tracks on the disc, given the size in bytes of each of its files.
// Returns 1, or 0 with *error set when the files do not hold what the sheet says.
int LayOutDisc(const CueSheet& sheet, const std::vector<int64_t>& fileBytes,
               DiscLayout* layout, std::string* error);

#endif
