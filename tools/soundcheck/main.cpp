// ks-soundcheck [--ms N] [--until-done] [--music] FILE...
//
// Opens each file in a player of its own, sounds them all together the way a
// screen does (Restart) and keeps the process alive for N
// milliseconds so the mixer can render them. With --until-done it leaves as
// soon as nothing plays any more (plus a moment for the device to write out
// the last buffers), N being only the limit: a render then holds each sound
// whole however slow the machine is, and ends in silence unless something
// never stops. Prints nothing unless the arguments are wrong, like the game.
//
// To hear nothing but measure everything:
//   SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/tmp/out.raw ks-soundcheck --ms 1500 a.wav b.mid
// writes raw signed 16-bit little-endian stereo at 44100 Hz.

#include "shell/soundservice.h"

#include <QString>

#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <vector>

namespace {

int usage()
{
    std::fputs("usage: ks-soundcheck [--ms MILLISECONDS] [--until-done] [--music] FILE...\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    long ms = 1500;
    bool untilDone = false;
    // Music streams from its file; effects are decoded whole, as the game's are.
    ks::SoundRole role = ks::SoundRole::Effect;
    std::vector<QString> files;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--ms") {
            if (++i >= argc)
                return usage();
            char *end = nullptr;
            ms = std::strtol(argv[i], &end, 10);
            if (end == argv[i] || *end != '\0' || ms < 0)
                return usage();
        } else if (arg == "--until-done") {
            untilDone = true;
        } else if (arg == "--music") {
            role = ks::SoundRole::Music;
        } else if (arg == "--help" || arg == "-h") {
            return usage();
        } else {
            files.push_back(QString::fromLocal8Bit(argv[i]));
        }
    }
    if (files.empty())
        return usage();

    auto service = ks::createSdlSoundService();
    std::vector<int> players;
    for (const QString &file : files) {
        const int player =
            service->createPlayer(QStringLiteral("soundcheck.%1").arg(players.size()), role);
        service->command(player, ks::SoundCommand::Open, file);
        players.push_back(player);
    }
    // Started only once everything is loaded, so that they really sound
    // together and loading time does not show up as a gap between them.
    service->waitForCommands();
    for (int player : players)
        service->command(player, ks::SoundCommand::Restart, QString());
    service->waitForCommands();

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    constexpr auto step = std::chrono::milliseconds(10);
    // The service shares SDL_mixer's one mixer with this process, so its
    // state says whether anything still plays.
    while (Clock::now() < deadline) {
        // A mixer closed after silence is not asked (it would read freed channels).
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        const bool open = Mix_QuerySpec(&frequency, &format, &channels) != 0;
        if (untilDone && (!open || (Mix_Playing(-1) == 0 && Mix_PlayingMusic() == 0))) {
            std::this_thread::sleep_for(
                std::min<Clock::duration>(std::chrono::milliseconds(150), deadline - Clock::now()));
            break;
        }
        std::this_thread::sleep_for(step);
    }
    for (int player : players)
        service->destroyPlayer(player);
    return 0;
}
