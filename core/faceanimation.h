#pragma once

#include <cstddef>
#include <vector>

namespace ks {

// The instructor's face as a play screen animates it: a short run of cells
// (a glint crossing the glasses), calm or stern, one cell a tick. Each screen
// ticks it from its own timer and decides the mood its own way; the runs and
// the stepping are the same everywhere.
class FaceAnimation
{
public:
    struct Runs
    {
        std::vector<int> calm;
        std::vector<int> stern;
    };
    struct Frame
    {
        int cell = 0;
        bool runEnded = false; // this was the run's last cell
    };

    explicit FaceAnimation(Runs runs) : m_runs(std::move(runs)) {}

    // At the first cell of a run: where a screen that judges the mood per
    // run does so.
    bool atRunStart() const { return m_step == 0; }
    bool isStern() const { return m_stern; }
    void setStern(bool stern) { m_stern = stern; }
    // Back to the first cell of a run.
    void restart() { m_step = 0; }

    Frame next();

private:
    Runs m_runs;
    std::size_t m_step = 0;
    bool m_stern = false;
};

// The glint of the battle's and the practice's instructors: out and back,
// six cells; calm in the upper row of the face sheet, stern in the lower.
FaceAnimation::Runs glintThereAndBack();

} // namespace ks
