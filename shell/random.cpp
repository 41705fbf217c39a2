#include "random.h"

#include <chrono>
#include <cmath>

namespace ks {

int choose(RandomSource &random, int n)
{
    return static_cast<int>(std::floor(random.next() * n));
}

StdRandom::StdRandom(std::optional<std::uint64_t> fixedSeed)
    : m_fixedSeed(fixedSeed), m_engine(fixedSeed.value_or(5489u))
{
    if (!m_fixedSeed)
        seedFromClock();
}

double StdRandom::next()
{
    return std::generate_canonical<double, 53>(m_engine);
}

void StdRandom::seedFromClock()
{
    if (m_fixedSeed)
        return;
    m_engine.seed(
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
}

} // namespace ks
