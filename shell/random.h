#pragma once

#include <cstdint>
#include <optional>
#include <random>

namespace ks {

// Every random draw of the game: r uniform in [0, 1). Screens seed it from the
// clock when they load; tests script the draws instead.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
    virtual void seedFromClock() = 0;
};

// A choice among n things: Int(r × n).
int choose(RandomSource &random, int n);

// The game's generator. With a fixed seed (the scenario runner's --seed) every
// draw is reproducible and seeding from the clock is ignored.
class StdRandom final : public RandomSource
{
public:
    explicit StdRandom(std::optional<std::uint64_t> fixedSeed = std::nullopt);
    double next() override;
    void seedFromClock() override;

private:
    std::optional<std::uint64_t> m_fixedSeed;
    std::mt19937_64 m_engine;
};

} // namespace ks
