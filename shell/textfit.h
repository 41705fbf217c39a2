#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QTextOption>

namespace ks::textfit {

// How a label's text is made to fit its box, as functions of the text, the
// font and the room: the labels were laid out for ＭＳ Ｐゴシック, whose
// Latin letters are narrower than those of the IPA face standing in for it,
// and the romaji guide and the display texts must stay readable whatever
// their length.

// The room a label gives its text, in pixels.
struct Room
{
    int width = 0;
    int height = 0;
};

// Lets a line break where it stands, and shows nothing.
inline constexpr QChar kBreakMark(0x200B);

// Below this a text to be read whole is no longer shrunk, but cut.
inline constexpr int kSmallestWholePixels = 8;

// The text in lines as Qt breaks it at width in font, as a label's painter does.
QStringList wrappedLines(const QString &text, const QFont &font, int width,
                         QTextOption::WrapMode mode);

// A romaji line filled into lines of width, broken only between syllables;
// a syllable wider than a whole line (a long run of consonants) is broken
// anywhere rather than cut off.
QStringList syllableLines(const QString &text, const QFont &font, int width);

// The text with a break mark between every two characters, so a line of one
// long word (romaji) may break anywhere; and back.
QString breakableAnywhere(const QString &text);
QString withoutBreakMarks(QString text);

// How many lines of font the height holds; at least one, since a line taller
// than its box still shows, by its middle.
int linesThatFit(const QFont &font, int height);

// The pixel size at which one line of text fits width: pixels when it does,
// else a little smaller, down to two thirds of it.
int shrunkLinePixels(const QString &text, QFont font, int pixels, int width);

// Whether text in font leaves the room: on one line (or as a romaji guide,
// which must be one line to be shown as it is) by its width; a text to be
// read whole by its lines, wrapped at words.
bool overflows(const QString &text, const QFont &font, Room room, bool oneLine);

// The largest pixel size, from pixels down to kSmallestWholePixels, at which
// text wrapped where Japanese may break fits the room's width and lines.
int wholeTextPixels(const QString &text, QFont font, int pixels, Room room);

// The lines as the room shows them: trailing blanks gone, and when there
// are more than it holds, the last one it holds cut with an ellipsis
// (elided is then true).
QStringList linesInRoom(QStringList lines, const QFont &font, Room room, bool &elided);

} // namespace ks::textfit
