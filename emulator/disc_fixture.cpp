// Fixture discs. Every byte comes from integer arithmetic, so a disc written on one
// machine holds exactly the samples FixtureTrackSamples gives on another.
#include "emulator/disc_fixture.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

#include "disc/toc_record.h"
#include "emulator/cue_sheet.h"
#include "emulator/emulated_disc.h"

namespace {

const int kToneAmplitude = 9830;           // about a third of full scale
const int kSamplesPerSecond = 44100;
const int kStereoFramesPerSector = kBytesPerFrame / 4;
const double kMaxToneHz = kSamplesPerSecond / 2;

// Produces a track's sectors one after another, as a drive reads them (2352 bytes).
struct SectorSource {
    FixtureTrack::Kind kind = FixtureTrack::Audio;
    uint32_t phase = 0;
    uint32_t phaseStep = 0;   // per sample; 0 for pseudo-random content
    uint32_t noise = 1;       // xorshift state
    int lba = 0;              // disc address of the next sector
};

// Pregap sectors get content of their own, so a copy that takes them in is caught.
SectorSource StartSource(const FixtureTrack& track, int trackNumber, bool pregap, int firstLba) {
    SectorSource source;
    source.kind = track.kind;
    source.lba = firstLba;
    const uint32_t seed = static_cast<uint32_t>(trackNumber + (pregap ? 100 : 0));
    source.noise = (seed * 0x9E3779B9u) | 1u;
    if (!pregap && track.kind == FixtureTrack::Audio && track.toneHz > 0) {
        const uint64_t milliHz = static_cast<uint64_t>(std::llround(track.toneHz * 1000));
        source.phaseStep = static_cast<uint32_t>((milliHz << 32) / (kSamplesPerSecond * 1000ull));
    }
    return source;
}

uint32_t NextNoise(SectorSource* source) {
    uint32_t x = source->noise;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    source->noise = x;
    return x;
}

void FillNoise(SectorSource* source, uint8_t* out, int bytes) {
    for (int i = 0; i < bytes; i += 4) {
        const uint32_t value = NextNoise(source);
        for (int b = 0; b < 4 && i + b < bytes; ++b) out[i + b] = static_cast<uint8_t>(value >> (8 * b));
    }
}

// Sine of a phase (a full turn is 2^32), by a refined parabola, in integers only.
int ToneSample(uint32_t phase) {
    int64_t x = phase >> 15;                    // [0, 131072) is a full turn
    if (x >= 65536) x -= 131072;                // [-65536, 65536) is [-pi, pi)
    const int64_t ax = x < 0 ? -x : x;
    int64_t y = 4 * x * (65536 - ax) / 65536;   // through sine's zeros and peaks
    const int64_t ay = y < 0 ? -y : y;
    y += (y * ay / 65536 - y) * 225 / 1000;     // pulls the parabola onto the sine
    return static_cast<int>(y * kToneAmplitude / 65536);
}

void NextSector(SectorSource* source, uint8_t* sector) {
    switch (source->kind) {
    case FixtureTrack::Audio:
        if (source->phaseStep == 0) {
            FillNoise(source, sector, kBytesPerFrame);
            break;
        }
        for (int i = 0; i < kStereoFramesPerSector; ++i) {
            const uint16_t sample = static_cast<uint16_t>(ToneSample(source->phase));
            source->phase += source->phaseStep;
            for (int channel = 0; channel < 2; ++channel) {
                sector[i * 4 + channel * 2] = static_cast<uint8_t>(sample & 0xFF);
                sector[i * 4 + channel * 2 + 1] = static_cast<uint8_t>(sample >> 8);
            }
        }
        break;
    case FixtureTrack::Mode1Raw:
    case FixtureTrack::Mode1Cooked:
        WriteDataSectorHeader(source->lba, 1, sector);
        FillNoise(source, sector + 16, 2048);
        break;
    case FixtureTrack::Mode2Raw:
        WriteDataSectorHeader(source->lba, 2, sector);
        FillNoise(source, sector + 16, kBytesPerFrame - 16);
        break;
    }
    ++source->lba;
}

// Where each track starts (INDEX 01) by the emulated drive's rules, then the lead-out.
// Assumes a disc CheckFixtureDisc accepts.
std::vector<int> Positions(const FixtureDisc& disc) {
    std::vector<int> starts;
    int lba = 0;
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        const FixtureTrack& track = disc.tracks[i];
        if (i > 0 && track.session != disc.tracks[i - 1].session) {
            lba += (track.session == 2 ? kSecondSessionGap : kLaterSessionGap) - track.pregapFrames;
        }
        starts.push_back(lba + track.pregapFrames);
        lba += track.pregapFrames + track.frames;
    }
    starts.push_back(lba);
    return starts;
}

const char* ModeName(FixtureTrack::Kind kind) {
    switch (kind) {
    case FixtureTrack::Mode1Raw: return "MODE1/2352";
    case FixtureTrack::Mode2Raw: return "MODE2/2352";
    case FixtureTrack::Mode1Cooked: return "MODE1/2048";
    case FixtureTrack::Audio: break;
    }
    return "AUDIO";
}

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string CueTime(int frames) {
    return TwoDigits(frames / 4500) + ":" + TwoDigits(frames / 75 % 60) + ":" + TwoDigits(frames % 75);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    const char last = dir.back();
    return last == '/' || last == '\\' ? dir + name : dir + "/" + name;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Appends the pregap and the track itself to an open BIN.
int WriteTrackSectors(const FixtureTrack& track, int trackNumber, int startLba, std::FILE* file) {
    const bool cooked = track.kind == FixtureTrack::Mode1Cooked;
    const size_t bytes = cooked ? 2048 : kBytesPerFrame;
    uint8_t sector[kBytesPerFrame];
    SectorSource pregap = StartSource(track, trackNumber, true, startLba - track.pregapFrames);
    SectorSource body = StartSource(track, trackNumber, false, startLba);
    for (int i = 0; i < track.pregapFrames + track.frames; ++i) {
        NextSector(i < track.pregapFrames ? &pregap : &body, sector);
        if (std::fwrite(cooked ? sector + 16 : sector, bytes, 1, file) != 1) return 0;
    }
    return 1;
}

// A decimal such as 554.37, without sign or exponent, at most maxValue.
int ParseDecimal(const std::string& text, double maxValue, double* value) {
    double result = 0, scale = 1;
    bool point = false;
    int digits = 0;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9' || ++digits > 12) return 0;
        if (point) {
            scale /= 10;
            result += (c - '0') * scale;
        } else {
            result = result * 10 + (c - '0');
        }
    }
    if (digits == 0 || result > maxValue) return 0;
    *value = result;
    return 1;
}


std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// "30s" or "40f" as frames.
int ParseLength(const std::string& word, int* frames) {
    const char unit = word.empty() ? 0 : word.back();
    const int perUnit = unit == 's' ? kFramesPerSecond : unit == 'f' ? 1 : 0;
    int count = 0;
    if (perUnit == 0 || !ParseNumber(word.substr(0, word.size() - 1), kMaxLeadOutLba / perUnit, &count)) {
        return 0;
    }
    *frames = count * perUnit;
    return 1;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t at = 0;
    while ((at = text.find_first_not_of(" \t\r\n", at)) != std::string::npos) {
        const size_t end = text.find_first_of(" \t\r\n", at);
        words.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    return words;
}

// One track's item, such as "audio 30s 440Hz pregap 10f", already split into words.
int ParseTrackItem(const std::string& item, const std::vector<std::string>& words, int session,
                   FixtureTrack* track, std::string* error) {
    static const std::pair<const char*, FixtureTrack::Kind> kKinds[] = {
        {"audio", FixtureTrack::Audio}, {"data", FixtureTrack::Mode1Raw},
        {"mode2", FixtureTrack::Mode2Raw}, {"data2048", FixtureTrack::Mode1Cooked}};
    const std::string kind = Lower(words[0]);
    bool known = false;
    for (const auto& candidate : kKinds) {
        if (kind == candidate.first) {
            track->kind = candidate.second;
            known = true;
        }
    }
    if (!known) {
        *error = "unknown item '" + item + "'";
        return 0;
    }
    track->session = session;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string word = Lower(words[i]);
        const bool hz = word.size() > 2 && word.compare(word.size() - 2, 2, "hz") == 0;
        int read = 0;
        if (word == "pregap") {
            read = i + 1 < words.size() && ParseLength(Lower(words[i + 1]), &track->pregapFrames);
            ++i;
        } else if (hz) {
            read = ParseDecimal(word.substr(0, word.size() - 2), kMaxToneHz, &track->toneHz);
        } else {
            read = ParseLength(word, &track->frames);
        }
        if (!read) {
            *error = "cannot read '" + word + "' in '" + item + "'";
            return 0;
        }
    }
    return 1;
}

}  // namespace

int CheckFixtureDisc(const FixtureDisc& disc, std::string* error) {
    if (disc.tracks.empty() || disc.tracks.size() > 99) {
        *error = "a disc has 1 to 99 tracks";
        return 0;
    }
    int64_t lba = 0;
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        const FixtureTrack& track = disc.tracks[i];
        const std::string name = "track " + std::to_string(i + 1);
        const int previousSession = i == 0 ? 1 : disc.tracks[i - 1].session;
        if (track.frames < 1 || track.frames > kMaxLeadOutLba || track.pregapFrames < 0 ||
            track.pregapFrames > kMaxLeadOutLba) {
            *error = name + ": length out of range";
            return 0;
        }
        if (!(track.toneHz >= 0 && track.toneHz < kMaxToneHz)) {
            *error = name + ": a tone must lie below 22050 Hz";
            return 0;
        }
        if (track.session != previousSession && !(i > 0 && track.session == previousSession + 1)) {
            *error = name + ": sessions start at 1 and follow one another";
            return 0;
        }
        if (track.session != previousSession) {
            const int gap = track.session == 2 ? kSecondSessionGap : kLaterSessionGap;
            if (track.pregapFrames > gap) {
                *error = name + ": pregap longer than the gap between sessions";
                return 0;
            }
            lba += gap - track.pregapFrames;
        }
        lba += track.pregapFrames + track.frames;
        if (lba > kMaxLeadOutLba) {
            *error = "the disc would run past 99:59:74";
            return 0;
        }
        if (!disc.filePerTrack && (track.kind == FixtureTrack::Mode1Cooked) !=
                                      (disc.tracks[0].kind == FixtureTrack::Mode1Cooked)) {
            *error = "data2048 tracks need a file of their own: no onefile";
            return 0;
        }
    }
    for (const std::string& line : disc.remLines) {
        if (line.find_first_of("\r\n") != std::string::npos) {
            *error = "a REM line must be one line";
            return 0;
        }
    }
    return 1;
}

std::string WriteFixtureDisc(const std::string& dir, const std::string& name, const FixtureDisc& disc) {
    std::string error;
    if (name.empty() || !CheckFixtureDisc(disc, &error)) return "";
    const std::vector<int> starts = Positions(disc);
    const bool sessions = disc.tracks.back().session > 1;
    std::string cue;
    for (const std::string& line : disc.remLines) cue += "REM " + line + "\n";
    FileHandle bin;
    int fileFrame = 0;   // where the track begins in its BIN
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        const FixtureTrack& track = disc.tracks[i];
        const int number = static_cast<int>(i) + 1;
        const bool newSession = sessions && (i == 0 || track.session != disc.tracks[i - 1].session);
        if (newSession) cue += "REM SESSION " + TwoDigits(track.session) + "\n";
        if (i == 0 || disc.filePerTrack) {
            const std::string binName = disc.filePerTrack ? name + "-" + TwoDigits(number) + ".bin" : name + ".bin";
            bin.reset(std::fopen(JoinPath(dir, binName).c_str(), "wb"));
            if (!bin) return "";
            cue += "FILE \"" + binName + "\" BINARY\n";
            fileFrame = 0;
        }
        cue += "  TRACK " + TwoDigits(number) + " " + ModeName(track.kind) + "\n";
        if (track.pregapFrames > 0) cue += "    INDEX 00 " + CueTime(fileFrame) + "\n";
        cue += "    INDEX 01 " + CueTime(fileFrame + track.pregapFrames) + "\n";
        if (!WriteTrackSectors(track, number, starts[i], bin.get())) return "";
        fileFrame += track.pregapFrames + track.frames;
        if (disc.filePerTrack && std::fclose(bin.release()) != 0) return "";
    }
    if (bin && std::fclose(bin.release()) != 0) return "";
    const std::string cuePath = JoinPath(dir, name + ".cue");
    FileHandle sheet(std::fopen(cuePath.c_str(), "wb"));
    if (!sheet || std::fwrite(cue.data(), 1, cue.size(), sheet.get()) != cue.size() ||
        std::fclose(sheet.release()) != 0) {
        return "";
    }
    return cuePath;
}

int FixtureTrackStartLba(const FixtureDisc& disc, int trackIndex) {
    std::string error;
    if (trackIndex < 0 || static_cast<size_t>(trackIndex) >= disc.tracks.size() ||
        !CheckFixtureDisc(disc, &error)) {
        return -1;
    }
    return Positions(disc)[static_cast<size_t>(trackIndex)];
}

int FixtureLeadOutLba(const FixtureDisc& disc) {
    std::string error;
    return CheckFixtureDisc(disc, &error) ? Positions(disc).back() : -1;
}

std::vector<uint8_t> FixtureTrackSamples(const FixtureDisc& disc, int trackIndex) {
    const int start = FixtureTrackStartLba(disc, trackIndex);
    if (start < 0) return {};
    const FixtureTrack& track = disc.tracks[static_cast<size_t>(trackIndex)];
    std::vector<uint8_t> samples(static_cast<size_t>(track.frames) * kBytesPerFrame);
    SectorSource source = StartSource(track, trackIndex + 1, false, start);
    for (int i = 0; i < track.frames; ++i) NextSector(&source, &samples[static_cast<size_t>(i) * kBytesPerFrame]);
    return samples;
}

int ParseFixtureDescription(const std::string& text, FixtureDisc* disc, std::string* error) {
    FixtureDisc parsed;
    int session = 1;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(';', at);
        if (end == std::string::npos) end = text.size();
        const std::vector<std::string> words = Words(text.substr(at, end - at));
        at = end + 1;
        if (words.empty()) continue;
        std::string item = words[0];
        for (size_t i = 1; i < words.size(); ++i) item += " " + words[i];
        const std::string head = Lower(words[0]);
        if (head == "rem") {
            if (words.size() < 2) {
                *error = "rem needs text";
                return 0;
            }
            parsed.remLines.push_back(item.substr(words[0].size() + 1));
        } else if (head == "onefile" && words.size() == 1) {
            parsed.filePerTrack = false;
        } else if (head == "session") {
            int number = 0;
            if (words.size() != 2 || !ParseNumber(words[1], 99, &number) || number < session) {
                *error = "session needs a number from 1 to 99, not below the one before";
                return 0;
            }
            session = number;
        } else {
            FixtureTrack track;
            if (!ParseTrackItem(item, words, session, &track, error)) return 0;
            parsed.tracks.push_back(track);
        }
    }
    if (!CheckFixtureDisc(parsed, error)) return 0;
    *disc = parsed;
    return 1;
}
