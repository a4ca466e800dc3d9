// make-disc DIR NAME "DESCRIPTION": writes a disc image for the emulated drive and prints
// the path of its CUE sheet. The description is as ParseFixtureDescription reads it, e.g.
//   make-disc /tmp/discs demo "audio 30s 440Hz; audio 20s 660Hz; session 2; data 10s"
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "emulator/disc_fixture.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make-disc DIR NAME \"DESCRIPTION\"\n");
        return 2;
    }
    FixtureDisc disc;
    std::string error;
    if (!ParseFixtureDescription(argv[3], &disc, &error)) {
        std::fprintf(stderr, "make-disc: %s\n", error.c_str());
        return 1;
    }
    std::error_code made;
    std::filesystem::create_directories(argv[1], made);
    const std::string cuePath = WriteFixtureDisc(argv[1], argv[2], disc);
    if (cuePath.empty()) {
        std::fprintf(stderr, "make-disc: cannot write the disc in %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", cuePath.c_str());
    return 0;
}
