#pragma once

#include <QString>

namespace ks::ScreenName {

// Every screen of the game. Screens reach each other by these names, so a
// misspelt one fails to build rather than at the moment it is needed.
inline const QString Kakunin = QStringLiteral("Kakunin");
inline const QString Logo = QStringLiteral("Logo");
inline const QString Kidou = QStringLiteral("Kidou");
inline const QString Tester1 = QStringLiteral("Tester1");
inline const QString Tester2 = QStringLiteral("Tester2");
inline const QString Hapyou1 = QStringLiteral("Hapyou1");
inline const QString Hapyou2 = QStringLiteral("Hapyou2");
inline const QString FileLoad = QStringLiteral("FileLoad");
inline const QString Kekka = QStringLiteral("Kekka");
inline const QString Mission = QStringLiteral("Mission");
inline const QString Fight = QStringLiteral("Fight");
inline const QString Complete = QStringLiteral("Complete");
inline const QString Incomplete = QStringLiteral("Incomplete");
inline const QString Ending = QStringLiteral("Ending");
inline const QString Settei = QStringLiteral("Settei");
inline const QString romacast = QStringLiteral("romacast");
inline const QString Kiroku = QStringLiteral("Kiroku");

} // namespace ks::ScreenName
