// Writes runs into a records file as fast as it can, for the tests of two
// games at once and of a game killed while it saves. Prints "saved N" after
// each run the store has committed.
//     records-writer PATH RUNS KEYS_PER_RUN TAG
#include "shell/records/records.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 5) {
        std::fputs("usage: records-writer PATH RUNS KEYS_PER_RUN TAG\n", stderr);
        return 2;
    }
    const int runs = std::atoi(argv[2]);
    const int keys = std::atoi(argv[3]);
    ks::SystemWallClock wall;
    ks::Records records(argv[1], wall, {.busyTimeoutMs = 10000});
    int failures = 0;
    for (int i = 1; i <= runs; ++i) {
        ks::RunLog log = records.startRun(ks::RunMode::Practice, argv[4], 0);
        for (int k = 0; k < keys; ++k)
            log.addKey(U'a' + k % 26, k % 9 ? U'a' + k % 26 : U'z', "あ", k * 100);
        log.finish(ks::RunEnd::Finished, keys * 100);
        if (records.save(log).recorded) {
            std::printf("saved %d\n", i);
            std::fflush(stdout);
        } else {
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
