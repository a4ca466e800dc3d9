// Fuzzes the emulated drive's CUE reader with arbitrary text. A sheet that parses is laid
// out with file sizes derived from the text (mostly sizes that hold the sheet, some cut
// short, not whole sectors, near the 99:59:74 limit or unknown). A layout that succeeds
// is checked against the sheet and its files, tried at its limits (99:59:74, the gap
// before a session), then served as the drive's TOC answer to the program's own reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "disc/track_table.h"
#include "emulator/cue_sheet.h"
#include "emulator/emulated_disc.h"

namespace {

// Stops the run, so that libFuzzer keeps the input, when a property does not hold.
[[noreturn]] void Fail(const char* property, int line) {
    std::fprintf(stderr, "cue_fuzzer: %s failed at line %d\n", property, line);
    std::abort();
}
#define FUZZ_CHECK(property) ((property) ? void(0) : Fail(#property, __LINE__))

const int kMaxFrames = 99 * 4500 + 59 * 75 + 74;  // 99:59:74 as a count of frames

bool IsSorted(const std::vector<int>& lbas) {
    for (size_t i = 1; i < lbas.size(); ++i) {
        if (lbas[i - 1] > lbas[i]) return false;
    }
    return true;
}

void CheckSheet(const CueSheet& sheet) {
    FUZZ_CHECK(!sheet.tracks.empty() && !sheet.files.empty() && sheet.files.size() <= 99);
    FUZZ_CHECK(sheet.tracks.front().fileIndex == 0 && sheet.tracks.front().session == 1);
    FUZZ_CHECK(sheet.tracks.back().fileIndex + 1 == static_cast<int>(sheet.files.size()));
    for (size_t k = 0; k < sheet.tracks.size(); ++k) {
        const CueTrack& track = sheet.tracks[k];
        FUZZ_CHECK(track.number >= 1 && track.number <= 99);
        FUZZ_CHECK(track.index01 >= 0 && track.index01 <= kMaxFrames);
        FUZZ_CHECK(track.index00 >= -1 && track.index00 <= track.index01);
        FUZZ_CHECK(track.pregapFrames >= 0 && track.pregapFrames <= kMaxFrames);
        FUZZ_CHECK(track.postgapFrames >= 0 && track.postgapFrames <= kMaxFrames);
        FUZZ_CHECK(track.control >= 0 && track.control <= 15);
        if (k == 0) continue;
        const CueTrack& previous = sheet.tracks[k - 1];
        FUZZ_CHECK(track.number > previous.number);
        // Every file holds a track, and the files are used in order.
        FUZZ_CHECK(track.fileIndex == previous.fileIndex || track.fileIndex == previous.fileIndex + 1);
        FUZZ_CHECK(track.session == previous.session || track.session == previous.session + 1);
        if (track.fileIndex == previous.fileIndex) {
            FUZZ_CHECK(CueSectorBytes(track.mode) == CueSectorBytes(previous.mode));
            FUZZ_CHECK((track.index00 >= 0 ? track.index00 : track.index01) > previous.index01);
        }
    }
    for (const std::vector<int>* lbas : {&sheet.readErrorLbas, &sheet.shortReadLbas}) {
        FUZZ_CHECK(IsSorted(*lbas));
        for (int lba : *lbas) FUZZ_CHECK(lba >= 0 && lba <= kMaxLeadOutLba);
    }
    FUZZ_CHECK(sheet.speed >= 0 && sheet.speed <= 1000);
}

uint64_t Fnv1a(const std::string& text) {
    uint64_t hash = 14695981039346656037u;
    for (char c : text) hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211u;
    return hash;
}

// Sizes for the sheet's files, chosen by the text's hash.
std::vector<int64_t> FileSizes(const CueSheet& sheet, const std::string& text) {
    std::vector<int64_t> sizes;
    uint64_t state = Fnv1a(text);
    for (size_t f = 0; f < sheet.files.size(); ++f) {
        int64_t needed = 0;  // sectors up to and including the last INDEX 01 in the file
        int sectorBytes = 2352;
        for (const CueTrack& track : sheet.tracks) {
            if (track.fileIndex != static_cast<int>(f)) continue;
            needed = track.index01 + 1;
            sectorBytes = CueSectorBytes(track.mode);
        }
        state = state * 6364136223846793005u + 1442695040888963407u;
        const unsigned pick = static_cast<unsigned>(state >> 60);
        const int64_t spread = static_cast<int64_t>((state >> 20) % 3000);
        int64_t sectors = needed + spread;
        if (pick == 12) sectors = needed - 1;
        if (pick == 13) sectors = kMaxLeadOutLba - spread;
        int64_t bytes = sectors * sectorBytes;
        if (pick == 14) bytes += 1 + spread;
        if (pick == 15) bytes = -1;
        sizes.push_back(bytes);
    }
    return sizes;
}

int SectorBytesOf(const DiscExtent& extent) { return CueSectorBytes(extent.mode); }

int SessionGap(int session) { return session == 2 ? kSecondSessionGap : kLaterSessionGap; }

// Checks the extent of silence at extents[*next] when frames > 0, and steps past it.
void CheckSilence(const DiscLayout& layout, int frames, size_t* next) {
    if (frames == 0) return;
    FUZZ_CHECK(*next < layout.extents.size());
    const DiscExtent& extent = layout.extents[(*next)++];
    FUZZ_CHECK(extent.fileIndex == -1 && extent.sectorCount == frames);
}

// Checks a layout against its sheet and files. Gives, for each track, the sectors of the
// session gap before it that neither its pregap nor its file fill (0 within a session).
std::vector<int> CheckLayout(const CueSheet& sheet, const std::vector<int64_t>& fileBytes,
                             const DiscLayout& layout) {
    FUZZ_CHECK(layout.tracks.size() == sheet.tracks.size());
    FUZZ_CHECK(layout.sessionCount == sheet.tracks.back().session);
    for (const DiscExtent& extent : layout.extents) FUZZ_CHECK(extent.sectorCount > 0);

    // Each track is its PREGAP silence, its sectors of the file, its POSTGAP silence, in
    // that order; tracks of a session follow one another with nothing between, and a
    // session's first track starts the session gap after the end of the session before.
    std::vector<int> unfilled(layout.tracks.size(), 0);
    size_t next = 0;
    int64_t previousEnd = 0;
    for (size_t k = 0; k < layout.tracks.size(); ++k) {
        const DiscTrack& track = layout.tracks[k];
        const CueTrack& written = sheet.tracks[k];
        FUZZ_CHECK(track.number == written.number && track.mode == written.mode &&
                   track.control == written.control && track.session == written.session);
        FUZZ_CHECK(next < layout.extents.size());
        const int first = layout.extents[next].firstLba;
        if (k > 0 && track.session != layout.tracks[k - 1].session) {
            FUZZ_CHECK(first >= previousEnd);
            FUZZ_CHECK(track.startLba == previousEnd + SessionGap(track.session));
            unfilled[k] = static_cast<int>(first - previousEnd);
        } else {
            FUZZ_CHECK(first == previousEnd);
        }
        CheckSilence(layout, written.pregapFrames, &next);
        FUZZ_CHECK(next < layout.extents.size());
        const DiscExtent& area = layout.extents[next++];
        FUZZ_CHECK(area.fileIndex == written.fileIndex && area.mode == written.mode);
        // INDEX 01 is read from the file where the sheet puts it.
        FUZZ_CHECK(track.startLba >= area.firstLba &&
                   track.startLba < area.firstLba + area.sectorCount);
        FUZZ_CHECK(area.fileOffset + int64_t{track.startLba - area.firstLba} * SectorBytesOf(area) ==
                   int64_t{written.index01} * CueSectorBytes(written.mode));
        CheckSilence(layout, written.postgapFrames, &next);
        const DiscExtent& last = layout.extents[next - 1];
        previousEnd = int64_t{last.firstLba} + last.sectorCount;
        FUZZ_CHECK(previousEnd > track.startLba);
    }
    FUZZ_CHECK(next == layout.extents.size());
    FUZZ_CHECK(layout.leadOutLba == previousEnd && layout.leadOutLba <= kMaxLeadOutLba);

    // Every file is on the disc whole, once and in order.
    std::vector<int64_t> placedBytes(fileBytes.size(), 0);
    for (const DiscExtent& extent : layout.extents) {
        if (extent.fileIndex == -1) continue;
        FUZZ_CHECK(extent.fileIndex >= 0 && extent.fileIndex < static_cast<int>(fileBytes.size()));
        int64_t& placed = placedBytes[static_cast<size_t>(extent.fileIndex)];
        FUZZ_CHECK(extent.fileOffset == placed);
        placed += int64_t{extent.sectorCount} * SectorBytesOf(extent);
    }
    FUZZ_CHECK(placedBytes == fileBytes);
    return unfilled;
}

int LaysOut(const CueSheet& sheet, const std::vector<int64_t>& fileBytes, DiscLayout* layout) {
    std::string error;
    const int laidOut = LayOutDisc(sheet, fileBytes, layout, &error);
    FUZZ_CHECK(laidOut == 1 || !error.empty());
    return laidOut;
}

// The limits hold to the sector: the last file grown to end the disc at 99:59:74 still
// lays out and one sector more does not; a PREGAP grown to fill the gap before its
// session lays out the same disc, and one sector more does not lay out.
void CheckLimits(const CueSheet& sheet, const std::vector<int64_t>& fileBytes,
                 const DiscLayout& layout, const std::vector<int>& unfilled) {
    std::vector<int64_t> grown = fileBytes;
    const int sectorBytes = CueSectorBytes(sheet.tracks.back().mode);
    grown.back() += int64_t{kMaxLeadOutLba - layout.leadOutLba} * sectorBytes;
    DiscLayout longest;
    FUZZ_CHECK(LaysOut(sheet, grown, &longest) && longest.leadOutLba == kMaxLeadOutLba);
    grown.back() += sectorBytes;
    FUZZ_CHECK(!LaysOut(sheet, grown, &longest));

    for (size_t k = 1; k < sheet.tracks.size(); ++k) {
        if (sheet.tracks[k].session == sheet.tracks[k - 1].session) continue;
        CueSheet filled = sheet;
        filled.tracks[k].pregapFrames += unfilled[k];
        DiscLayout same;
        FUZZ_CHECK(LaysOut(filled, fileBytes, &same) && same.leadOutLba == layout.leadOutLba &&
                   same.tracks[k].startLba == layout.tracks[k].startLba);
        filled.tracks[k].pregapFrames += 1;
        FUZZ_CHECK(!LaysOut(filled, fileBytes, &same));
    }
}

// The drive's answers for the disc make a track table of its audio tracks, where they lie.
// Only for track numbers that follow one another, as on any real disc.
void CheckTocRoundTrip(const CueSheet& sheet, const DiscLayout& layout) {
    for (size_t k = 1; k < layout.tracks.size(); ++k) {
        if (layout.tracks[k].number != layout.tracks[k - 1].number + 1) return;
    }
    EmulatedDisc disc;
    disc.state = kDiscReady;
    disc.sheet = sheet;
    disc.layout = layout;
    TocRecord toc = {};
    TocSessionRecord session = {};
    DriveFailure failure = kDriveNoFailure;
    const int tocBytes = AnswerReadToc(disc, &toc, sizeof toc, &failure);
    FUZZ_CHECK((tocBytes == 0) == sheet.noToc);
    if (tocBytes == 0) return;
    FUZZ_CHECK(AnswerLastSession(disc, &session, sizeof session, &failure) == sizeof session);

    TrackEntry table[kTrackTableSize];
    const int count = BuildTrackTable(toc, static_cast<size_t>(tocBytes),
                                      SessionInfoFromRecord(session), table);
    int audio = 0;
    for (const DiscTrack& track : layout.tracks) {
        if (track.control & kDataTrackControlBit) continue;
        FUZZ_CHECK(audio < count && table[audio].startLba == track.startLba);
        ++audio;
    }
    FUZZ_CHECK(count == audio);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CueSheet sheet;
    std::string error;
    if (!ParseCueSheet(text, &sheet, &error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    CheckSheet(sheet);
    const std::vector<int64_t> fileBytes = FileSizes(sheet, text);
    DiscLayout layout;
    if (!LaysOut(sheet, fileBytes, &layout)) return 0;
    const std::vector<int> unfilled = CheckLayout(sheet, fileBytes, layout);
    CheckLimits(sheet, fileBytes, layout, unfilled);
    CheckTocRoundTrip(sheet, layout);
    return 0;
}
