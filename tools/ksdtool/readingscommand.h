#pragma once

#include "commandline.h"

#include <ostream>

namespace ksd {

// Gives each plain line of Japanese its reading in hiragana, as the
// dictionary of MeCab reads it, and writes a "display<TAB>reading" sheet
// for the teacher to correct and then hand to make:
//
// - words take the dictionary's reading ("猿も" is "さるも"), katakana folded
//   to hiragana;
// - digits stay digits, as the game's table types them ("１月" is "１がつ");
// - Latin letters are spelled as their names are read ("PC" is "ぴーしー"),
//   since the table has no letters;
// - punctuation the table types stays, in its table form ("," is "、",
//   "." is "。", "!" is "！", "?" is "？", "/" is "・", "-" is "ー"), and
//   any other mark, a blank included, is dropped from the reading;
// - a word with no reading is left as written and named on standard error,
//   for the teacher to fill in (make refuses it until then).
//
// Comments, blank lines and lines that already have a tab pass unchanged.
int runReadings(const CommandLine &line, std::ostream &out, std::ostream &err);

} // namespace ksd
