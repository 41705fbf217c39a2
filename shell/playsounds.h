#pragma once

#include <QString>

namespace ks {

class RandomSource;
class SettingsFile;
class SoundPlayer;
struct SettingsLines;

// The effect players of a play screen. Their files lie together in one
// folder: the shipped practice\standard\, or a practice file's own.
struct EffectPlayers
{
    SoundPlayer *gun = nullptr;
    SoundPlayer *set = nullptr;
    SoundPlayer *miss = nullptr;
    SoundPlayer *brake = nullptr; // none on the speed tester
};

// Names each player's file in folder (ending in "/") and opens it.
void openEffects(const EffectPlayers &effects, const QString &folder);

// The play music: a slot of the settings picked at random (the clock seeds
// the draw), opened in player; an empty name when no slot is set.
void openPickedMusic(SoundPlayer &player, const SettingsFile &settings,
                     const SettingsLines &settingsLines, RandomSource &random);

} // namespace ks
