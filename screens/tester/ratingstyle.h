#pragma once

#include "core/speedtestrules.h"
#include "shell/units.h"

namespace ks {

// Each rating keeps its colour on the run and on its results.
inline QColor ratingColour(Rating rating)
{
    switch (rating) {
    case Rating::Fervor:
        return bgrColor(0x00FFFF80);
    case Rating::Grate:
        return HouseColour::Green;
    case Rating::Good:
        return bgrColor(0x00FFC0FF);
    case Rating::Ok:
        return bgrColor(0x0080FFFF);
    case Rating::Bad:
        return bgrColor(0x00FFC0C0);
    case Rating::Miss:
        return bgrColor(0x000000FF);
    }
    return Qt::white;
}

inline QString ratingText(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace ks
