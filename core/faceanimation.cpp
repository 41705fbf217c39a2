#include "faceanimation.h"

namespace ks {

FaceAnimation::Frame FaceAnimation::next()
{
    const std::vector<int> &run = m_stern ? m_runs.stern : m_runs.calm;
    if (run.empty())
        return {0, true};
    if (m_step >= run.size())
        m_step = 0;
    const int cell = run[m_step];
    m_step = (m_step + 1) % run.size();
    return {cell, m_step == 0};
}

FaceAnimation::Runs glintThereAndBack()
{
    return {{1, 2, 3, 2, 1, 0}, {5, 6, 7, 6, 5, 4}};
}

} // namespace ks
