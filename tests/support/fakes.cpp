#include "support/fakes.h"

namespace ks::test {

double ScriptedRandom::next()
{
    if (m_draws.empty())
        return 0.0;
    const double r = m_draws.front();
    m_draws.pop_front();
    return r;
}

} // namespace ks::test
