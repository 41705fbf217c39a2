#include "playsounds.h"

#include "controls.h"
#include "random.h"
#include "settingsfile.h"

namespace ks {

void openEffects(const EffectPlayers &effects, const QString &folder)
{
    const std::pair<SoundPlayer *, const char *> files[] = {{effects.gun, "gun.wav"},
                                                            {effects.set, "set.wav"},
                                                            {effects.miss, "miss.wav"},
                                                            {effects.brake, "brake.wav"}};
    for (const auto &[player, file] : files) {
        if (!player)
            continue;
        player->setFileName(folder + QLatin1String(file));
        player->open();
    }
}

void openPickedMusic(SoundPlayer &player, const SettingsFile &settings,
                     const SettingsLines &settingsLines, RandomSource &random)
{
    random.seedFromClock();
    player.setFileName(settings.pickMusic(settingsLines, random));
    player.open();
}

} // namespace ks
