// What a key's sound costs the game's thread: the gun effect restarted, as
// every correct key does, with the sound thread asleep as it is between keys.
// Measured with no sound card and on SDL's dummy device; only the time the
// commands take to give counts, not the sound thread's work.
#include "shell/soundservice.h"
#include "support/tempdir.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

void putLe(std::string &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char(value >> (8 * i) & 0xff));
}

// A fifth of a second of 16-bit mono noise at 44.1 kHz, like the game's shot.
std::string shot()
{
    constexpr std::uint32_t frames = 8820;
    std::string file = "RIFF";
    putLe(file, 36 + frames * 2, 4);
    file += "WAVEfmt ";
    for (const auto &[value, bytes] :
         {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {44100u, 4}, {88200u, 4}, {2u, 2}, {16u, 2}})
        putLe(file, value, bytes);
    file += "data";
    putLe(file, frames * 2, 4);
    std::uint32_t noise = 1;
    for (std::uint32_t i = 0; i < frames; ++i) {
        noise = noise * 1664525u + 1013904223u;
        putLe(file, (noise >> 16) & 0x3fff, 2);
    }
    return file;
}

void keySound(benchmark::State &state, const char *driver)
{
    setenv("SDL_AUDIODRIVER", driver, 1);
    ks::test::TempDir dir;
    dir.write("gun.wav", shot());
    {
        auto service = ks::createSdlSoundService();
        const int gun =
            service->createPlayer(QStringLiteral("Bench.Gunsound"), ks::SoundRole::Effect);
        service->command(gun, ks::SoundCommand::Open, QString::fromStdString(dir.path("gun.wav")));
        service->waitForCommands();
        for (auto _ : state) {
            const auto given = std::chrono::steady_clock::now();
            service->command(gun, ks::SoundCommand::Restart, QString());
            state.SetIterationTime(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - given).count());
            // Keys come tens of milliseconds apart: the thread is back asleep.
            service->waitForCommands();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    unsetenv("SDL_AUDIODRIVER");
}

BENCHMARK_CAPTURE(keySound, no_device, "ks_no_such_driver")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000)
    ->Repetitions(5);
BENCHMARK_CAPTURE(keySound, dummy_device, "dummy")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000)
    ->Repetitions(5);

} // namespace

BENCHMARK_MAIN();
