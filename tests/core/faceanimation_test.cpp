#include "core/faceanimation.h"

#include <gtest/gtest.h>

#include <vector>

namespace ks {
namespace {

// A run plays its cells in order and says when it ends; a changed mood
// shows from the next cell, and a restart begins a run again.
TEST(FaceAnimation, RunsPlayInOrderInTheirMood)
{
    FaceAnimation face({{1, 2, 3, 0}, {5, 6, 7, 4}});
    std::vector<int> cells;
    std::vector<bool> ends;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(face.atRunStart(), i % 4 == 0);
        const FaceAnimation::Frame frame = face.next();
        cells.push_back(frame.cell);
        ends.push_back(frame.runEnded);
    }
    EXPECT_EQ(cells, (std::vector<int>{1, 2, 3, 0, 1}));
    EXPECT_EQ(ends, (std::vector<bool>{false, false, false, true, false}));
    face.setStern(true);
    EXPECT_EQ(face.next().cell, 6);
    face.restart();
    EXPECT_TRUE(face.atRunStart());
    EXPECT_EQ(face.next().cell, 5);
}

} // namespace
} // namespace ks
