#!/usr/bin/env python3
"""Writes data/roumazi.dat, the romaji table the game ships with.

The 170 editable pairs are the kana chart as a player knows it, five columns a
row; "＿" with romaji "\\" marks an empty place. Each editable pair k has a
doubled pair 170+k, "っ" + kana typed with its first letter doubled; empty
places, vowels, ん and the small kana have none ("＿"), since "っ" never stands
before them in Japanese. The 15 fixed pairs are the marks and digits that
problem texts use. Run it again after changing the chart; the tests check the
result.
"""

import pathlib

EMPTY = ("＿", "\\")

CHART = [
    # the plain syllabary
    "あ a", "い i", "う u", "え e", "お o",
    "か ka", "き ki", "く ku", "け ke", "こ ko",
    "さ sa", "し shi", "す su", "せ se", "そ so",
    "た ta", "ち chi", "つ tsu", "て te", "と to",
    "な na", "に ni", "ぬ nu", "ね ne", "の no",
    "は ha", "ひ hi", "ふ fu", "へ he", "ほ ho",
    "ま ma", "み mi", "む mu", "め me", "も mo",
    "や ya", EMPTY, "ゆ yu", EMPTY, "よ yo",
    "ら ra", "り ri", "る ru", "れ re", "ろ ro",
    "わ wa", EMPTY, "を wo", EMPTY, "ん nn",
    # voiced and semi-voiced
    "が ga", "ぎ gi", "ぐ gu", "げ ge", "ご go",
    "ざ za", "じ ji", "ず zu", "ぜ ze", "ぞ zo",
    "だ da", "ぢ di", "づ du", "で de", "ど do",
    "ば ba", "び bi", "ぶ bu", "べ be", "ぼ bo",
    "ぱ pa", "ぴ pi", "ぷ pu", "ぺ pe", "ぽ po",
    # small kana
    "ぁ la", "ぃ li", "ぅ lu", "ぇ le", "ぉ lo",
    "ゃ lya", "っ ltu", "ゅ lyu", "ゎ lwa", "ょ lyo",
    # contracted sounds
    "きゃ kya", "きぃ kyi", "きゅ kyu", "きぇ kye", "きょ kyo",
    "しゃ sha", "しぃ syi", "しゅ shu", "しぇ she", "しょ sho",
    "ちゃ cha", "ちぃ cyi", "ちゅ chu", "ちぇ che", "ちょ cho",
    "にゃ nya", "にぃ nyi", "にゅ nyu", "にぇ nye", "にょ nyo",
    "ひゃ hya", "ひぃ hyi", "ひゅ hyu", "ひぇ hye", "ひょ hyo",
    "みゃ mya", "みぃ myi", "みゅ myu", "みぇ mye", "みょ myo",
    "りゃ rya", "りぃ ryi", "りゅ ryu", "りぇ rye", "りょ ryo",
    "ぎゃ gya", "ぎぃ gyi", "ぎゅ gyu", "ぎぇ gye", "ぎょ gyo",
    "じゃ ja", "じぃ jyi", "じゅ ju", "じぇ je", "じょ jo",
    "ぢゃ dya", "ぢぃ dyi", "ぢゅ dyu", "ぢぇ dye", "ぢょ dyo",
    "びゃ bya", "びぃ byi", "びゅ byu", "びぇ bye", "びょ byo",
    "ぴゃ pya", "ぴぃ pyi", "ぴゅ pyu", "ぴぇ pye", "ぴょ pyo",
    # sounds of loanwords; hiragana ゔ is missing from Shift_JIS, so that row uses ヴ
    "ふぁ fa", "ふぃ fi", "ふゅ fyu", "ふぇ fe", "ふぉ fo",
    "てゃ tha", "てぃ thi", "てゅ thu", "てぇ the", "てょ tho",
    "でゃ dha", "でぃ dhi", "でゅ dhu", "でぇ dhe", "でょ dho",
    "うぁ wha", "うぃ wi", EMPTY, "うぇ we", "うぉ who",
    "ヴぁ va", "ヴぃ vi", "ヴ vu", "ヴぇ ve", "ヴぉ vo",
]

FIXED = [
    ("ー", "-"), ("。", "."), ("！", "!"), ("？", "?"), ("・", "/"),
] + [(chr(0xFF10 + d), str(d)) for d in range(10)]

NO_DOUBLE = set("あいうえおんぁぃぅぇぉゃっゅゎょ")


def pair(entry):
    return entry if isinstance(entry, tuple) else tuple(entry.split(" "))


def doubled(kana, romaji):
    if kana == "＿" or kana in NO_DOUBLE or romaji[0] in "aiueo":
        return EMPTY
    return ("っ" + kana, romaji[0] + romaji)


def main():
    editable = [pair(e) for e in CHART]
    assert len(editable) == 170, len(editable)
    pairs = editable + [doubled(k, r) for k, r in editable] + FIXED
    assert len(pairs) == 355, len(pairs)
    text = "".join(f"{k},{r}\r\n" for k, r in pairs)
    out = pathlib.Path(__file__).resolve().parent.parent / "data" / "roumazi.dat"
    out.write_bytes(text.encode("cp932"))


if __name__ == "__main__":
    main()
