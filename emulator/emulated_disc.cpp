// The emulated drive's answers over a CUE/BIN disc image. Reads go straight from the open
// image files into the caller's buffer: nothing is parsed or allocated per read.
#include "emulator/emulated_disc.h"

#include <algorithm>
#include <cstring>

namespace {

const long kMaxSheetBytes = 1 << 20;
const int kFileBufferBytes = 1 << 16;
const int kShortReadBytes = kBytesPerFrame / 2;

int Fail(DriveFailure* failure, DriveFailure why) {
    *failure = why;
    return 0;
}

// The whole of a small text file. 0 when it cannot be opened; *tooLarge when it is not small.
int ReadSheetText(const std::string& path, std::string* text, bool* tooLarge) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    text->clear();
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 &&
           text->size() <= static_cast<size_t>(kMaxSheetBytes)) {
        text->append(chunk, got);
    }
    std::fclose(file);
    *tooLarge = text->size() > static_cast<size_t>(kMaxSheetBytes);
    return 1;
}

int64_t FileBytes(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    return std::ftell(file);
}

void CloseFiles(EmulatedDisc* disc) {
    for (std::FILE* file : disc->files) std::fclose(file);
    disc->files.clear();
    disc->filePositions.clear();
}

TocTrackData TocEntry(int control, int trackNumber, int lba) {
    const Msf msf = LbaToMsf(lba);
    TocTrackData entry{};
    entry.controlAdr = static_cast<uint8_t>(0x10 | (control & 0x0F));
    entry.trackNumber = static_cast<uint8_t>(trackNumber);
    entry.address[1] = static_cast<uint8_t>(msf.minutes);
    entry.address[2] = static_cast<uint8_t>(msf.seconds);
    entry.address[3] = static_cast<uint8_t>(msf.frames);
    return entry;
}

int TocReadable(const EmulatedDisc& disc, DriveFailure* failure) {
    if (disc.state != kDiscReady || disc.sheet.noToc) return Fail(failure, kDriveNotReady);
    return 1;
}

// The extent holding lba, or extents.size() when none does.
size_t ExtentAt(const DiscLayout& layout, int lba) {
    const auto after = std::upper_bound(
        layout.extents.begin(), layout.extents.end(), lba,
        [](int value, const DiscExtent& extent) { return value < extent.firstLba; });
    if (after == layout.extents.begin()) return layout.extents.size();
    const size_t index = static_cast<size_t>(after - layout.extents.begin()) - 1;
    const DiscExtent& extent = layout.extents[index];
    return lba < extent.firstLba + extent.sectorCount ? index : layout.extents.size();
}

// 1 when every sector of the range lies in an extent: none in a gap between sessions.
int RangeOnDisc(const DiscLayout& layout, int first, int count) {
    int at = first;
    for (size_t index = ExtentAt(layout, first);
         index < layout.extents.size() && layout.extents[index].firstLba <= at; ++index) {
        at = layout.extents[index].firstLba + layout.extents[index].sectorCount;
        if (at >= first + count) return 1;
    }
    return 0;
}

// The lowest listed sector in the range, or -1.
int ListedSectorIn(const std::vector<int>& sorted, int first, int count) {
    const auto found = std::lower_bound(sorted.begin(), sorted.end(), first);
    return found != sorted.end() && *found < first + count ? *found : -1;
}

// Reads sectors of one extent into raw 2352-byte sectors.
int ReadExtentSectors(EmulatedDisc* disc, const DiscExtent& extent, int first, int count,
                      uint8_t* out) {
    if (extent.fileIndex < 0) {
        std::memset(out, 0, static_cast<size_t>(count) * kBytesPerFrame);
        return 1;
    }
    const size_t fileIndex = static_cast<size_t>(extent.fileIndex);
    std::FILE* file = disc->files[fileIndex];
    int64_t& position = disc->filePositions[fileIndex];
    const int sectorBytes = CueSectorBytes(extent.mode);
    const int64_t offset = extent.fileOffset + static_cast<int64_t>(first - extent.firstLba) * sectorBytes;
    if (position != offset && std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) {
        position = -1;
        return 0;
    }
    position = offset;
    size_t got = 0;
    if (sectorBytes == kBytesPerFrame) {
        got = std::fread(out, kBytesPerFrame, static_cast<size_t>(count), file);
    } else {
        // A cooked Mode 1 image holds only user data: frame it as the drive reads it.
        for (int i = 0; i < count; ++i) {
            uint8_t* sector = out + static_cast<size_t>(i) * kBytesPerFrame;
            WriteDataSectorHeader(first + i, 1, sector);
            if (std::fread(sector + 16, static_cast<size_t>(sectorBytes), 1, file) != 1) break;
            ++got;
        }
    }
    if (got != static_cast<size_t>(count)) {
        position = -1;
        return 0;
    }
    position += static_cast<int64_t>(count) * sectorBytes;
    return 1;
}

// Reads a range that RangeOnDisc accepted.
int ReadSectors(EmulatedDisc* disc, int first, int count, uint8_t* out) {
    const DiscLayout& layout = disc->layout;
    int at = first;
    for (size_t index = ExtentAt(layout, first); at < first + count; ++index) {
        const DiscExtent& extent = layout.extents[index];
        const int run = std::min(first + count, extent.firstLba + extent.sectorCount) - at;
        if (!ReadExtentSectors(disc, extent, at, run, out)) return 0;
        out += static_cast<size_t>(run) * kBytesPerFrame;
        at += run;
    }
    return 1;
}

int64_t PlayedFrames(const PlayState& play, int64_t nowMs) {
    const int64_t elapsedMs = std::min<int64_t>(std::max<int64_t>(nowMs - play.sinceMs, 0),
                                                int64_t{1} << 40);
    return elapsedMs * kFramesPerSecond / 1000;
}

int MsfValid(int seconds, int frames) { return seconds < 60 && frames < kFramesPerSecond; }

char UpperLetter(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    return c >= 'A' && c <= 'Z' ? c : 0;
}

bool IsSlash(char c) { return c == '\\' || c == '/'; }

uint8_t Bcd(int value) { return static_cast<uint8_t>(value / 10 * 16 + value % 10); }

}  // namespace

void OpenEmulatedDisc(const std::string& cuePath, EmulatedDisc* disc) {
    CloseEmulatedDisc(disc);
    std::string text;
    bool tooLarge = false;
    if (cuePath.empty() || !ReadSheetText(cuePath, &text, &tooLarge)) return;
    disc->state = kDiscUnreadable;
    if (tooLarge) {
        disc->problem = "the sheet is too large to be a CUE sheet";
        return;
    }
    if (!ParseCueSheet(text, &disc->sheet, &disc->problem)) return;
    std::vector<int64_t> fileBytes;
    for (const std::string& name : disc->sheet.files) {
        std::FILE* file = std::fopen(CueFilePath(cuePath, name).c_str(), "rb");
        if (!file) {
            disc->problem = "cannot open " + name;
            CloseFiles(disc);
            return;
        }
        std::setvbuf(file, nullptr, _IOFBF, kFileBufferBytes);
        disc->files.push_back(file);
        fileBytes.push_back(FileBytes(file));
    }
    if (!LayOutDisc(disc->sheet, fileBytes, &disc->layout, &disc->problem)) {
        CloseFiles(disc);
        return;
    }
    disc->filePositions.assign(disc->files.size(), -1);
    disc->state = kDiscReady;
}

void CloseEmulatedDisc(EmulatedDisc* disc) {
    CloseFiles(disc);
    *disc = EmulatedDisc();
}

int AnswerReadToc(const EmulatedDisc& disc, void* output, uint32_t outputSize,
                  DriveFailure* failure) {
    if (!TocReadable(disc, failure)) return 0;
    if (!output || outputSize < sizeof(TocRecord)) return Fail(failure, kDriveBufferTooSmall);
    const std::vector<DiscTrack>& tracks = disc.layout.tracks;
    TocRecord toc{};
    const int length = 2 + 8 * (static_cast<int>(tracks.size()) + 1);
    toc.length[0] = static_cast<uint8_t>(length >> 8);
    toc.length[1] = static_cast<uint8_t>(length & 0xFF);
    toc.firstTrack = static_cast<uint8_t>(tracks.front().number);
    toc.lastTrack = static_cast<uint8_t>(tracks.back().number);
    for (size_t i = 0; i < tracks.size(); ++i) {
        toc.trackData[i] = TocEntry(tracks[i].control, tracks[i].number, tracks[i].startLba);
    }
    toc.trackData[tracks.size()] =
        TocEntry(tracks.back().control, kLeadOutTrackNumber, disc.layout.leadOutLba);
    std::memcpy(output, &toc, static_cast<size_t>(length) + 2);
    return length + 2;
}

int AnswerLastSession(const EmulatedDisc& disc, void* output, uint32_t outputSize,
                      DriveFailure* failure) {
    if (!TocReadable(disc, failure)) return 0;
    if (!output || outputSize < sizeof(TocSessionRecord)) return Fail(failure, kDriveBufferTooSmall);
    const std::vector<DiscTrack>& tracks = disc.layout.tracks;
    const DiscTrack& first = *std::find_if(tracks.begin(), tracks.end(), [&](const DiscTrack& t) {
        return t.session == disc.layout.sessionCount;
    });
    TocSessionRecord record{};
    record.length[1] = sizeof(TocSessionRecord) - 2;
    record.firstCompleteSession = 1;
    record.lastCompleteSession = static_cast<uint8_t>(disc.layout.sessionCount);
    record.trackData[0] = TocEntry(first.control, first.number, first.startLba);
    std::memcpy(output, &record, sizeof record);
    return sizeof record;
}

int AnswerRawRead(EmulatedDisc* disc, const RawReadRecord& request, void* output,
                  uint32_t outputSize, DriveFailure* failure) {
    if (disc->state != kDiscReady) return Fail(failure, kDriveNotReady);
    const DiscLayout& layout = disc->layout;
    if (request.trackMode != kTrackModeCdda || request.diskOffset < 0 || request.sectorCount == 0) {
        return Fail(failure, kDriveBadRequest);
    }
    const int64_t lba = request.diskOffset / kDiskOffsetBytesPerBlock;
    if (lba >= layout.leadOutLba || request.sectorCount > layout.leadOutLba - lba) {
        return Fail(failure, kDriveBadRequest);
    }
    const int first = static_cast<int>(lba);
    const int count = static_cast<int>(request.sectorCount);
    if (!output || static_cast<uint64_t>(count) * kBytesPerFrame > outputSize) {
        return Fail(failure, kDriveBufferTooSmall);
    }
    if (!RangeOnDisc(layout, first, count)) return Fail(failure, kDriveBadRequest);
    if (ListedSectorIn(disc->sheet.readErrorLbas, first, count) >= 0) {
        return Fail(failure, kDriveUnreadableSector);
    }
    const int shortSector = ListedSectorIn(disc->sheet.shortReadLbas, first, count);
    const int wholeSectors = shortSector >= 0 ? shortSector - first : count;
    uint8_t* out = static_cast<uint8_t*>(output);
    if (!ReadSectors(disc, first, wholeSectors, out)) return Fail(failure, kDriveUnreadableSector);
    if (shortSector < 0) return count * kBytesPerFrame;
    uint8_t sector[kBytesPerFrame];
    if (!ReadSectors(disc, shortSector, 1, sector)) return Fail(failure, kDriveUnreadableSector);
    std::memcpy(out + static_cast<size_t>(wholeSectors) * kBytesPerFrame, sector, kShortReadBytes);
    return wholeSectors * kBytesPerFrame + kShortReadBytes;
}

void WriteDataSectorHeader(int lba, int mode, uint8_t* sector) {
    static const uint8_t kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::memcpy(sector, kSync, sizeof kSync);
    const Msf msf = LbaToMsf(lba);
    sector[12] = Bcd(msf.minutes);
    sector[13] = Bcd(msf.seconds);
    sector[14] = Bcd(msf.frames);
    sector[15] = static_cast<uint8_t>(mode);
    if (mode == 1) std::memset(sector + 16 + 2048, 0, kBytesPerFrame - 16 - 2048);
}

void UpdatePlay(PlayState* play, int64_t nowMs) {
    if (play->mode == kPlayPlaying && PlayedFrames(*play, nowMs) >= play->endLba - play->positionLba) {
        play->mode = kPlayStopped;
        play->positionLba = play->endLba;
    }
}

int AnswerPlayAudioMsf(PlayState* play, const EmulatedDisc& disc, const PlayAudioMsfRecord& range,
                       int64_t nowMs, DriveFailure* failure) {
    if (disc.state != kDiscReady) return Fail(failure, kDriveNotReady);
    if (disc.sheet.playRefused) return Fail(failure, kDrivePlayRefused);
    if (!MsfValid(range.startingS, range.startingF) || !MsfValid(range.endingS, range.endingF)) {
        return Fail(failure, kDriveBadRequest);
    }
    const int start = MsfToLba(range.startingM, range.startingS, range.startingF);
    const int end = MsfToLba(range.endingM, range.endingS, range.endingF);
    if (start < 0 || end > disc.layout.leadOutLba || end < start) {
        return Fail(failure, kDriveBadRequest);
    }
    play->mode = kPlayPlaying;
    play->positionLba = start;
    play->endLba = end;
    play->sinceMs = nowMs;
    UpdatePlay(play, nowMs);
    return 1;
}

int AnswerPauseAudio(PlayState* play, int64_t nowMs, DriveFailure* failure) {
    UpdatePlay(play, nowMs);
    if (play->mode != kPlayPlaying) return Fail(failure, kDriveBadRequest);
    play->positionLba += static_cast<int>(PlayedFrames(*play, nowMs));
    play->mode = kPlayPaused;
    return 1;
}

int AnswerResumeAudio(PlayState* play, int64_t nowMs, DriveFailure* failure) {
    if (play->mode != kPlayPaused) return Fail(failure, kDriveBadRequest);
    play->mode = kPlayPlaying;
    play->sinceMs = nowMs;
    return 1;
}

int AnswerStopAudio(PlayState* play) {
    play->mode = kPlayStopped;
    return 1;
}

char DeviceDriveLetter(const char* devicePath) {
    if (!devicePath || std::strlen(devicePath) != 6) return 0;
    if (!IsSlash(devicePath[0]) || !IsSlash(devicePath[1]) || devicePath[2] != '.' ||
        !IsSlash(devicePath[3]) || devicePath[5] != ':') {
        return 0;
    }
    return UpperLetter(devicePath[4]);
}

char RootDriveLetter(const char* rootName) {
    if (!rootName || !rootName[0] || rootName[1] != ':') return 0;
    if (rootName[2] != '\0' && !(IsSlash(rootName[2]) && rootName[3] == '\0')) return 0;
    return UpperLetter(rootName[0]);
}

int FindEmulatedDrive(const std::string& driveList, char letter, std::string* cuePath) {
    const char wanted = UpperLetter(letter);
    size_t at = 0;
    while (wanted && at <= driveList.size()) {
        size_t end = driveList.find(';', at);
        if (end == std::string::npos) end = driveList.size();
        size_t first = at, last = end;
        while (first < last && (driveList[first] == ' ' || driveList[first] == '\t')) ++first;
        while (last > first && (driveList[last - 1] == ' ' || driveList[last - 1] == '\t')) --last;
        if (last - first >= 2 && driveList[first + 1] == '=' && UpperLetter(driveList[first]) == wanted) {
            *cuePath = driveList.substr(first + 2, last - first - 2);
            return 1;
        }
        at = end + 1;
    }
    return 0;
}

std::string JournalLine(const char* request, char letter, const char* outcome) {
    std::string line = std::string(request) + ' ' + letter + ':';
    if (outcome) line += std::string(" ") + outcome;
    return line;
}

std::string RawReadJournalLine(char letter, const RawReadRecord& request, int answeredBytes) {
    const int64_t asked = static_cast<int64_t>(request.sectorCount) * kBytesPerFrame;
    const char* outcome = answeredBytes == 0 ? "failed" : answeredBytes < asked ? "short" : "ok";
    char line[96];
    std::snprintf(line, sizeof line, "RAW_READ %c: %lld %lu %s", letter,
                  static_cast<long long>(request.diskOffset / kDiskOffsetBytesPerBlock),
                  static_cast<unsigned long>(request.sectorCount), outcome);
    return line;
}

std::string PlayJournalLine(char letter, const PlayAudioMsfRecord& range, int answered) {
    char line[96];
    std::snprintf(line, sizeof line, "PLAY_AUDIO_MSF %c: %02u:%02u:%02u %02u:%02u:%02u %s", letter,
                  range.startingM, range.startingS, range.startingF, range.endingM, range.endingS,
                  range.endingF, answered ? "ok" : "failed");
    return line;
}

std::string UnknownRequestJournalLine(char letter, uint32_t controlCode) {
    char line[64];
    std::snprintf(line, sizeof line, "IOCTL 0x%08lX %c: failed",
                  static_cast<unsigned long>(controlCode), letter);
    return line;
}
