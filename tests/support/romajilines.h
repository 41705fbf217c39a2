#pragma once

#include <QStringList>

namespace ks::test {

// Whether every line of a wrapped romaji guide ends where a syllable does.
bool breaksAreSyllables(const QStringList &lines);

} // namespace ks::test
