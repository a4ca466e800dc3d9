// The CUE sheet reader. Every number is bounded as it is read, so hostile text can
// neither overflow the arithmetic nor make the layout allocate more than the text implies.
#include "emulator/cue_sheet.h"

#include <algorithm>
#include <utility>

int ParseNumber(const std::string& word, int maxValue, int* value) {
    if (word.empty() || word.size() > 9) return 0;
    int number = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + (c - '0');
    }
    if (number > maxValue) return 0;
    *value = number;
    return 1;
}

namespace {

const int kMaxTrackNumber = 99;
const int kMaxSession = 99;
const double kMaxSpeed = 1000;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// Splits a line into words; a word in double quotes may hold blanks. 0 on an unclosed quote.
int SplitWords(const std::string& line, std::vector<std::string>* words) {
    words->clear();
    size_t at = 0;
    while (at < line.size()) {
        if (IsBlank(line[at])) {
            ++at;
        } else if (line[at] == '"') {
            const size_t close = line.find('"', at + 1);
            if (close == std::string::npos) return 0;
            words->push_back(line.substr(at + 1, close - at - 1));
            at = close + 1;
        } else {
            size_t end = at;
            while (end < line.size() && !IsBlank(line[end])) ++end;
            words->push_back(line.substr(at, end - at));
            at = end;
        }
    }
    return 1;
}


// mm:ss:ff as a count of frames.
int ParseTime(const std::string& word, int* frames) {
    const size_t first = word.find(':');
    const size_t second = first == std::string::npos ? first : word.find(':', first + 1);
    if (second == std::string::npos) return 0;
    int minutes = 0, seconds = 0, frame = 0;
    if (!ParseNumber(word.substr(0, first), 99, &minutes) ||
        !ParseNumber(word.substr(first + 1, second - first - 1), 59, &seconds) ||
        !ParseNumber(word.substr(second + 1), 74, &frame)) {
        return 0;
    }
    *frames = minutes * 4500 + seconds * 75 + frame;
    return 1;
}

// A positive decimal such as 8 or 0.5, read without the locale.
int ParseSpeed(const std::string& word, double* speed) {
    const size_t point = word.find('.');
    int whole = 0, fraction = 0;
    if (!ParseNumber(word.substr(0, point), 999999, &whole)) return 0;
    double value = whole;
    if (point != std::string::npos) {
        const std::string digits = word.substr(point + 1);
        if (!ParseNumber(digits, 999999, &fraction)) return 0;
        double scale = 1;
        for (size_t i = 0; i < digits.size(); ++i) scale *= 10;
        value += fraction / scale;
    }
    if (value <= 0 || value > kMaxSpeed) return 0;
    *speed = value;
    return 1;
}

int ParseTrackMode(const std::string& word, CueTrackMode* mode) {
    static const std::pair<const char*, CueTrackMode> kModes[] = {
        {"AUDIO", kCueAudio}, {"MODE1/2352", kCueMode1Raw},
        {"MODE2/2352", kCueMode2Raw}, {"MODE1/2048", kCueMode1Cooked}};
    const std::string upper = Upper(word);
    for (const auto& known : kModes) {
        if (upper == known.first) {
            *mode = known.second;
            return 1;
        }
    }
    return 0;
}

struct ControlSetting {
    int trackNumber;
    int control;
};

// What the reader knows of the track being read.
struct OpenTrack {
    int lastIndexNumber = -1;
    int lastIndexFrames = 0;
    bool hasPregap = false;
    bool hasPostgap = false;
};

struct SheetReader {
    CueSheet sheet;
    std::vector<ControlSetting> controls;
    int nextSession = 1;
    bool fileHasTrack = false;
    OpenTrack track;
    int previousTrackEnd = -1;   // last INDEX of the previous track in the same file
};

// "REM EMULATOR ..." words after EMULATOR.
int ReadFault(const std::vector<std::string>& words, SheetReader* reader, std::string* error) {
    CueSheet& sheet = reader->sheet;
    const std::string name = words.size() > 2 ? Upper(words[2]) : std::string();
    const size_t count = words.size();
    int number = 0, control = 0;
    if (name == "READ_ERROR" || name == "SHORT_READ") {
        if (count != 4 || !ParseNumber(words[3], kMaxLeadOutLba, &number)) {
            *error = name + " needs a sector address on the disc";
            return 0;
        }
        (name == "READ_ERROR" ? sheet.readErrorLbas : sheet.shortReadLbas).push_back(number);
    } else if (name == "CONTROL") {
        if (count != 5 || !ParseNumber(words[3], kMaxTrackNumber, &number) || number < 1 ||
            !ParseNumber(words[4], 15, &control)) {
            *error = "CONTROL needs a track number and a value from 0 to 15";
            return 0;
        }
        reader->controls.push_back(ControlSetting{number, control});
    } else if (name == "SPEED") {
        if (count != 4 || !ParseSpeed(words[3], &sheet.speed)) {
            *error = "SPEED needs a number above 0, at most 1000";
            return 0;
        }
    } else if ((name == "NO_TOC" || name == "PLAY_REFUSED") && count == 3) {
        (name == "NO_TOC" ? sheet.noToc : sheet.playRefused) = true;
    } else {
        *error = "unknown or malformed EMULATOR line";
        return 0;
    }
    return 1;
}

int ReadTrack(const std::vector<std::string>& words, SheetReader* reader, std::string* error) {
    CueSheet& sheet = reader->sheet;
    CueTrack track;
    if (sheet.files.empty()) {
        *error = "TRACK before FILE";
        return 0;
    }
    if (words.size() != 3 || !ParseNumber(words[1], kMaxTrackNumber, &track.number) ||
        track.number < 1 || !ParseTrackMode(words[2], &track.mode)) {
        *error = "TRACK needs a number from 1 to 99 and AUDIO, MODE1/2352, MODE2/2352 or MODE1/2048";
        return 0;
    }
    track.fileIndex = static_cast<int>(sheet.files.size()) - 1;
    track.session = reader->nextSession;
    track.control = track.mode == kCueAudio ? 0 : 4;
    if (sheet.tracks.empty()) {
        if (track.session != 1) {
            *error = "the first track must be in session 1";
            return 0;
        }
    } else {
        const CueTrack& previous = sheet.tracks.back();
        if (previous.index01 < 0) {
            *error = "track before it has no INDEX 01";
            return 0;
        }
        if (track.number <= previous.number) {
            *error = "track numbers must increase";
            return 0;
        }
        if (track.session != previous.session && track.session != previous.session + 1) {
            *error = "sessions must follow one another";
            return 0;
        }
        const bool sameFile = previous.fileIndex == track.fileIndex;
        if (sameFile && CueSectorBytes(previous.mode) != CueSectorBytes(track.mode)) {
            *error = "MODE1/2048 and 2352-byte tracks cannot share a file";
            return 0;
        }
        reader->previousTrackEnd = sameFile ? reader->track.lastIndexFrames : -1;
    }
    sheet.tracks.push_back(track);
    reader->fileHasTrack = true;
    reader->track = OpenTrack();
    return 1;
}

int ReadIndex(const std::vector<std::string>& words, SheetReader* reader, std::string* error) {
    CueSheet& sheet = reader->sheet;
    OpenTrack& open = reader->track;
    int number = 0, frames = 0;
    if (sheet.tracks.empty() || !reader->fileHasTrack) {
        *error = "INDEX before TRACK";
        return 0;
    }
    if (words.size() != 3 || !ParseNumber(words[1], 99, &number) || !ParseTime(words[2], &frames)) {
        *error = "INDEX needs a number and mm:ss:ff";
        return 0;
    }
    CueTrack& track = sheet.tracks.back();
    if (open.hasPostgap) {
        *error = "INDEX after POSTGAP";
        return 0;
    }
    if (open.lastIndexNumber < 0) {
        if (number > 1) {
            *error = "a track starts with INDEX 00 or INDEX 01";
            return 0;
        }
        if (frames <= reader->previousTrackEnd) {
            *error = "track starts before the track before it ends";
            return 0;
        }
    } else if (number <= open.lastIndexNumber || frames < open.lastIndexFrames) {
        *error = "INDEX numbers and times must increase";
        return 0;
    }
    if (number == 0) track.index00 = frames;
    if (number == 1) track.index01 = frames;
    if (number > 1 && track.index01 < 0) {
        *error = "INDEX after 01 before INDEX 01";
        return 0;
    }
    open.lastIndexNumber = number;
    open.lastIndexFrames = frames;
    return 1;
}

int ReadGap(const std::vector<std::string>& words, bool postgap, SheetReader* reader,
            std::string* error) {
    CueSheet& sheet = reader->sheet;
    int frames = 0;
    if (sheet.tracks.empty() || !reader->fileHasTrack) {
        *error = "PREGAP or POSTGAP before TRACK";
        return 0;
    }
    if (words.size() != 2 || !ParseTime(words[1], &frames)) {
        *error = "PREGAP and POSTGAP need mm:ss:ff";
        return 0;
    }
    CueTrack& track = sheet.tracks.back();
    if (postgap) {
        if (track.index01 < 0 || reader->track.hasPostgap) {
            *error = "POSTGAP belongs once after INDEX 01";
            return 0;
        }
        track.postgapFrames = frames;
        reader->track.hasPostgap = true;
    } else {
        if (reader->track.lastIndexNumber >= 0 || reader->track.hasPregap) {
            *error = "PREGAP belongs once before the track's first INDEX";
            return 0;
        }
        track.pregapFrames = frames;
        reader->track.hasPregap = true;
    }
    return 1;
}

int ReadLine(const std::vector<std::string>& words, SheetReader* reader, std::string* error) {
    const std::string command = Upper(words[0]);
    CueSheet& sheet = reader->sheet;
    if (command == "REM") {
        const std::string what = words.size() > 1 ? Upper(words[1]) : std::string();
        if (what == "SESSION") {
            if (words.size() != 3 || !ParseNumber(words[2], kMaxSession, &reader->nextSession) ||
                reader->nextSession < 1) {
                *error = "REM SESSION needs a number from 1 to 99";
                return 0;
            }
        } else if (what == "EMULATOR") {
            return ReadFault(words, reader, error);
        }
        return 1;
    }
    if (command == "FILE") {
        if (words.size() != 3 || words[1].empty() || Upper(words[2]) != "BINARY") {
            *error = "FILE needs a name and BINARY";
            return 0;
        }
        if (!sheet.files.empty() && !reader->fileHasTrack) {
            *error = "FILE without a TRACK";
            return 0;
        }
        if (sheet.files.size() >= static_cast<size_t>(kMaxTrackNumber)) {
            *error = "more files than tracks a disc can hold";
            return 0;
        }
        sheet.files.push_back(words[1]);
        reader->fileHasTrack = false;
        return 1;
    }
    if (command == "TRACK") return ReadTrack(words, reader, error);
    if (command == "INDEX") return ReadIndex(words, reader, error);
    if (command == "PREGAP") return ReadGap(words, false, reader, error);
    if (command == "POSTGAP") return ReadGap(words, true, reader, error);
    static const char* const kIgnored[] = {"CATALOG", "ISRC", "TITLE", "PERFORMER",
                                           "SONGWRITER", "FLAGS", "CDTEXTFILE"};
    for (const char* ignored : kIgnored) {
        if (command == ignored) return 1;
    }
    *error = "unknown command " + words[0].substr(0, 40);
    return 0;
}

// Checks the sheet as a whole once every line is read, and applies the CONTROL settings.
int FinishSheet(SheetReader* reader, std::string* error) {
    CueSheet& sheet = reader->sheet;
    if (sheet.tracks.empty()) {
        *error = "no tracks";
        return 0;
    }
    if (!reader->fileHasTrack) {
        *error = "FILE without a TRACK";
        return 0;
    }
    if (sheet.tracks.back().index01 < 0) {
        *error = "last track has no INDEX 01";
        return 0;
    }
    for (const ControlSetting& setting : reader->controls) {
        auto track = std::find_if(sheet.tracks.begin(), sheet.tracks.end(),
                                  [&](const CueTrack& t) { return t.number == setting.trackNumber; });
        if (track == sheet.tracks.end()) {
            *error = "CONTROL names a track the sheet does not have";
            return 0;
        }
        track->control = setting.control;
    }
    std::sort(sheet.readErrorLbas.begin(), sheet.readErrorLbas.end());
    std::sort(sheet.shortReadLbas.begin(), sheet.shortReadLbas.end());
    return 1;
}

}  // namespace

int CueSectorBytes(CueTrackMode mode) { return mode == kCueMode1Cooked ? 2048 : 2352; }

int ParseCueSheet(const std::string& text, CueSheet* sheet, std::string* error) {
    SheetReader reader;
    std::vector<std::string> words;
    size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    int lineNumber = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        ++lineNumber;
        std::string lineError;
        if (!SplitWords(text.substr(at, end - at), &words)) {
            lineError = "unclosed quote";
        } else if (!words.empty()) {
            ReadLine(words, &reader, &lineError);  // sets lineError when the line is wrong
        }
        if (!lineError.empty()) {
            *error = "line " + std::to_string(lineNumber) + ": " + lineError;
            return 0;
        }
        at = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++at;
    }
    if (!FinishSheet(&reader, error)) return 0;
    *sheet = std::move(reader.sheet);
    return 1;
}

std::string CueFilePath(const std::string& cuePath, const std::string& fileName) {
    std::string name = fileName;
    std::replace(name.begin(), name.end(), '\\', '/');
    const bool absolute = (!name.empty() && name[0] == '/') || (name.size() > 1 && name[1] == ':');
    if (absolute) return name;
    const size_t slash = cuePath.find_last_of("/\\");
    return slash == std::string::npos ? name : cuePath.substr(0, slash + 1) + name;
}

int LayOutDisc(const CueSheet& sheet, const std::vector<int64_t>& fileBytes, DiscLayout* layout,
               std::string* error) {
    if (fileBytes.size() != sheet.files.size() || sheet.tracks.empty()) {
        *error = "the sheet and its files do not match";
        return 0;
    }
    std::vector<int64_t> fileSectors(fileBytes.size(), 0);
    for (const CueTrack& track : sheet.tracks) {
        const int64_t bytes = fileBytes[static_cast<size_t>(track.fileIndex)];
        const int sectorBytes = CueSectorBytes(track.mode);
        if (bytes < 0 || bytes % sectorBytes != 0) {
            *error = sheet.files[static_cast<size_t>(track.fileIndex)] +
                     " does not hold whole sectors (cut short?)";
            return 0;
        }
        fileSectors[static_cast<size_t>(track.fileIndex)] = bytes / sectorBytes;
    }

    DiscLayout disc;
    int64_t lba = 0;
    const size_t trackCount = sheet.tracks.size();
    for (size_t k = 0; k < trackCount; ++k) {
        const CueTrack& track = sheet.tracks[k];
        const bool firstInFile = k == 0 || sheet.tracks[k - 1].fileIndex != track.fileIndex;
        const int64_t areaStart = firstInFile ? 0 : (track.index00 >= 0 ? track.index00 : track.index01);
        int64_t areaEnd = fileSectors[static_cast<size_t>(track.fileIndex)];
        if (k + 1 < trackCount && sheet.tracks[k + 1].fileIndex == track.fileIndex) {
            const CueTrack& next = sheet.tracks[k + 1];
            areaEnd = next.index00 >= 0 ? next.index00 : next.index01;
        }
        const std::string name = "track " + std::to_string(track.number);
        if (areaEnd <= track.index01) {
            *error = name + ": its file ends before INDEX 01 (cut short?)";
            return 0;
        }
        const int64_t beforeStart = track.pregapFrames + (track.index01 - areaStart);
        if (k > 0 && track.session != sheet.tracks[k - 1].session) {
            const int gap = track.session == 2 ? kSecondSessionGap : kLaterSessionGap;
            if (beforeStart > gap) {
                *error = name + ": its pregap is longer than the gap between sessions";
                return 0;
            }
            lba += gap - beforeStart;
        }
        const int64_t trackEnd = lba + track.pregapFrames + (areaEnd - areaStart) + track.postgapFrames;
        if (trackEnd > kMaxLeadOutLba) {
            *error = name + ": the disc would run past 99:59:74";
            return 0;
        }
        const int first = static_cast<int>(lba);
        const int pregap = track.pregapFrames;
        const int area = static_cast<int>(areaEnd - areaStart);
        if (pregap > 0) disc.extents.push_back(DiscExtent{first, pregap, -1, 0, track.mode});
        disc.extents.push_back(DiscExtent{first + pregap, area, track.fileIndex,
                                          areaStart * CueSectorBytes(track.mode), track.mode});
        if (track.postgapFrames > 0) {
            disc.extents.push_back(
                DiscExtent{first + pregap + area, track.postgapFrames, -1, 0, track.mode});
        }
        DiscTrack placed;
        placed.number = track.number;
        placed.mode = track.mode;
        placed.control = track.control;
        placed.session = track.session;
        placed.startLba = static_cast<int>(lba + beforeStart);
        disc.tracks.push_back(placed);
        lba = trackEnd;
    }
    disc.leadOutLba = static_cast<int>(lba);
    disc.sessionCount = sheet.tracks.back().session;
    *layout = std::move(disc);
    return 1;
}
