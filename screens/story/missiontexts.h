#pragma once

#include <span>
#include <string_view>

namespace ks {

// The words each mission shows, in the order of the phrases of its exam file:
// display text k of mission n is typed as romaji line k of exam{n + 1}.ksd, so
// neither list may be reordered without the other.
std::span<const std::string_view> missionDisplayTexts(int stage);

// The battleship's last stand: the three sentences of exam5.ksd, in its order.
std::span<const std::string_view> finalPhaseTexts();

} // namespace ks
