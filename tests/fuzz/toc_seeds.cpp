// Writes the seed inputs of toc_fuzzer into a folder: TOC answers as drives give them
// (an audio disc, an Enhanced CD with its session answer, a data track first or between,
// 99 tracks) and malformed ones. An input longer than 804 bytes carries the session
// answer after the 804th byte.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "disc/toc_record.h"

namespace {

struct Line {
    int control;
    int lba;  // start; the last line is the lead-out
};

// The bytes a drive answers: the header, the tracks numbered from 1, then the lead-out.
std::vector<uint8_t> Toc(const std::vector<Line>& lines) {
    TocRecord record;
    std::memset(&record, 0, sizeof record);
    const int entries = static_cast<int>(lines.size());
    const int length = 2 + 8 * entries;
    record.length[0] = static_cast<uint8_t>(length >> 8);
    record.length[1] = static_cast<uint8_t>(length);
    record.firstTrack = 1;
    record.lastTrack = static_cast<uint8_t>(entries - 1);
    for (int k = 0; k < entries; ++k) {
        TocTrackData& entry = record.trackData[k];
        const Msf msf = LbaToMsf(lines[k].lba);
        entry.controlAdr = static_cast<uint8_t>(0x10 | lines[k].control);
        entry.trackNumber = static_cast<uint8_t>(k == entries - 1 ? kLeadOutTrackNumber : k + 1);
        entry.address[1] = static_cast<uint8_t>(msf.minutes);
        entry.address[2] = static_cast<uint8_t>(msf.seconds);
        entry.address[3] = static_cast<uint8_t>(msf.frames);
    }
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(bytes, bytes + length + 2);
}

// A TOC answer followed by the session answer: the last session and its first track.
std::vector<uint8_t> WithSessions(std::vector<uint8_t> toc, int lastSession, int firstTrack) {
    const TocRecord* record = reinterpret_cast<const TocRecord*>(toc.data());
    TocSessionRecord sessions = {};
    sessions.length[1] = sizeof sessions - 2;
    sessions.firstCompleteSession = 1;
    sessions.lastCompleteSession = static_cast<uint8_t>(lastSession);
    sessions.trackData[0] = record->trackData[firstTrack - 1];
    toc.resize(sizeof(TocRecord), 0);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&sessions);
    toc.insert(toc.end(), bytes, bytes + sizeof sessions);
    return toc;
}

std::vector<uint8_t> NinetyNineTracks() {
    std::vector<Line> lines;
    for (int k = 0; k <= 99; ++k) lines.push_back({0, k * 300});
    return Toc(lines);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: toc-seeds FOLDER\n");
        return 2;
    }
    const std::vector<uint8_t> audio = Toc({{0, 0}, {0, 13500}, {0, 27001}, {0, 40000}});
    std::vector<uint8_t> cutShort = audio;
    cutShort.resize(4 + 8 * 2);
    std::vector<uint8_t> lengthShort = audio;
    lengthShort[1] = 2 + 8 * 2;
    std::vector<uint8_t> seconds60 = audio;
    seconds60[4 + 8 + 6] = 60;
    std::vector<uint8_t> decreasing = audio;
    decreasing[4 + 16 + 5] = 0;  // track 3 at 00:xx:xx, before track 2
    std::vector<uint8_t> lastTrack255 = audio;
    lastTrack255[3] = 255;

    struct Seed {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Seed seeds[] = {
        {"audio", audio},
        {"enhanced", WithSessions(Toc({{0, 0}, {0, 9000}, {4, 31400}, {4, 60000}}), 2, 3)},
        {"data-first", Toc({{4, 0}, {0, 3000}, {0, 9000}, {0, 12000}})},
        {"data-between", Toc({{0, 0}, {6, 1000}, {0, 2000}, {2, 3000}, {0, 4000}})},
        {"ninety-nine", NinetyNineTracks()},
        {"cut-short", cutShort},
        {"length-short", lengthShort},
        {"seconds-60", seconds60},
        {"decreasing", decreasing},
        {"last-track-255", lastTrack255},
        {"header-only", std::vector<uint8_t>(audio.begin(), audio.begin() + 4)},
    };
    for (const Seed& seed : seeds) {
        const std::string path = std::string(argv[1]) + "/" + seed.name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        bool written = file && std::fwrite(seed.bytes.data(), 1, seed.bytes.size(), file) ==
                                   seed.bytes.size();
        if (file) written = std::fclose(file) == 0 && written;
        if (!written) {
            std::fprintf(stderr, "toc-seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
