#pragma once

#include "core/result.h"

#include <QString>

namespace ks {

// What is wrong with one of the game's data files, in one Japanese sentence
// that names it: fileProblemText("ローマ字表（roumazi.dat）", error) gives
// "ローマ字表（roumazi.dat）の項目が多すぎます。".
QString fileProblemText(const QString &file, const Error &error);

// The same, and that the game goes back to the main menu.
QString fileProblemBackToMenuText(const QString &file, const Error &error);

} // namespace ks
