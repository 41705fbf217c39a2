#include "imeromaji.h"

#include <unordered_map>

namespace ks {

namespace {

struct ImeRule
{
    std::string_view kana;
    std::string_view spellings; // separated by spaces, the most usual first
};

// Where a kana has several spellings, the one the shipped romaji table uses
// comes first: when a player's keys split a token of the table (っか typed
// "ltu" and then か), the guide completes the rest the way the table would.
//
// Left out on purpose: spellings only one input method knows ("tch" for っち,
// "hwa" for ふぁ), and "x"/"l" doubled for っ, where they disagree.
constexpr ImeRule kImeRules[] = {
    // The chart.
    {"あ", "a"},
    {"い", "i yi"},
    {"う", "u wu whu"},
    {"え", "e"},
    {"お", "o"},
    {"か", "ka ca"},
    {"き", "ki"},
    {"く", "ku cu qu"},
    {"け", "ke"},
    {"こ", "ko co"},
    {"さ", "sa"},
    {"し", "shi si ci"},
    {"す", "su"},
    {"せ", "se ce"},
    {"そ", "so"},
    {"た", "ta"},
    {"ち", "chi ti"},
    {"つ", "tsu tu"},
    {"て", "te"},
    {"と", "to"},
    {"な", "na"},
    {"に", "ni"},
    {"ぬ", "nu"},
    {"ね", "ne"},
    {"の", "no"},
    {"は", "ha"},
    {"ひ", "hi"},
    {"ふ", "fu hu"},
    {"へ", "he"},
    {"ほ", "ho"},
    {"ま", "ma"},
    {"み", "mi"},
    {"む", "mu"},
    {"め", "me"},
    {"も", "mo"},
    {"や", "ya"},
    {"ゆ", "yu"},
    {"よ", "yo"},
    {"ら", "ra"},
    {"り", "ri"},
    {"る", "ru"},
    {"れ", "re"},
    {"ろ", "ro"},
    {"わ", "wa"},
    {"ゐ", "wyi"},
    {"ゑ", "wye"},
    {"を", "wo"},
    // ん also as a single "n" where continuesSingleN allows it.
    {"ん", "nn n' xn"},
    {"が", "ga"},
    {"ぎ", "gi"},
    {"ぐ", "gu"},
    {"げ", "ge"},
    {"ご", "go"},
    {"ざ", "za"},
    {"じ", "ji zi"},
    {"ず", "zu"},
    {"ぜ", "ze"},
    {"ぞ", "zo"},
    {"だ", "da"},
    {"ぢ", "di"},
    {"づ", "du"},
    {"で", "de"},
    {"ど", "do"},
    {"ば", "ba"},
    {"び", "bi"},
    {"ぶ", "bu"},
    {"べ", "be"},
    {"ぼ", "bo"},
    {"ぱ", "pa"},
    {"ぴ", "pi"},
    {"ぷ", "pu"},
    {"ぺ", "pe"},
    {"ぽ", "po"},
    {"ゔ", "vu"},

    // Small kana, each on its own by "x" or "l".
    {"ぁ", "la xa"},
    {"ぃ", "li xi lyi xyi"},
    {"ぅ", "lu xu"},
    {"ぇ", "le xe lye xye"},
    {"ぉ", "lo xo"},
    {"ゃ", "lya xya"},
    {"ゅ", "lyu xyu"},
    {"ょ", "lyo xyo"},
    {"ゎ", "lwa xwa"},
    {"ゕ", "lka xka"},
    {"ゖ", "lke xke"},
    // っ also as the doubled consonant of what follows (isDoublingConsonant).
    {"っ", "ltu xtu ltsu xtsu"},

    // Contracted sounds: a kana of the i column and a small ゃ ゅ ょ (and ぃ ぇ).
    {"きゃ", "kya"},
    {"きぃ", "kyi"},
    {"きゅ", "kyu"},
    {"きぇ", "kye"},
    {"きょ", "kyo"},
    {"しゃ", "sha sya"},
    {"しぃ", "syi"},
    {"しゅ", "shu syu"},
    {"しぇ", "she sye"},
    {"しょ", "sho syo"},
    {"ちゃ", "cha tya cya"},
    {"ちぃ", "cyi tyi"},
    {"ちゅ", "chu tyu cyu"},
    {"ちぇ", "che tye cye"},
    {"ちょ", "cho tyo cyo"},
    {"にゃ", "nya"},
    {"にぃ", "nyi"},
    {"にゅ", "nyu"},
    {"にぇ", "nye"},
    {"にょ", "nyo"},
    {"ひゃ", "hya"},
    {"ひぃ", "hyi"},
    {"ひゅ", "hyu"},
    {"ひぇ", "hye"},
    {"ひょ", "hyo"},
    {"みゃ", "mya"},
    {"みぃ", "myi"},
    {"みゅ", "myu"},
    {"みぇ", "mye"},
    {"みょ", "myo"},
    {"りゃ", "rya"},
    {"りぃ", "ryi"},
    {"りゅ", "ryu"},
    {"りぇ", "rye"},
    {"りょ", "ryo"},
    {"ぎゃ", "gya"},
    {"ぎぃ", "gyi"},
    {"ぎゅ", "gyu"},
    {"ぎぇ", "gye"},
    {"ぎょ", "gyo"},
    {"じゃ", "ja zya jya"},
    {"じぃ", "jyi zyi"},
    {"じゅ", "ju zyu jyu"},
    {"じぇ", "je zye jye"},
    {"じょ", "jo zyo jyo"},
    {"ぢゃ", "dya"},
    {"ぢぃ", "dyi"},
    {"ぢゅ", "dyu"},
    {"ぢぇ", "dye"},
    {"ぢょ", "dyo"},
    {"びゃ", "bya"},
    {"びぃ", "byi"},
    {"びゅ", "byu"},
    {"びぇ", "bye"},
    {"びょ", "byo"},
    {"ぴゃ", "pya"},
    {"ぴぃ", "pyi"},
    {"ぴゅ", "pyu"},
    {"ぴぇ", "pye"},
    {"ぴょ", "pyo"},

    // Sounds of loanwords.
    {"いぇ", "ye"},
    {"うぁ", "wha"},
    {"うぃ", "wi whi"},
    {"うぇ", "we whe"},
    {"うぉ", "who"},
    {"くぁ", "qa kwa qwa"},
    {"くぃ", "qi qwi qyi"},
    {"くぅ", "qwu"},
    {"くぇ", "qe qwe qye"},
    {"くぉ", "qo qwo"},
    {"くゃ", "qya"},
    {"くゅ", "qyu"},
    {"くょ", "qyo"},
    {"ぐぁ", "gwa"},
    {"ぐぃ", "gwi"},
    {"ぐぅ", "gwu"},
    {"ぐぇ", "gwe"},
    {"ぐぉ", "gwo"},
    {"すぁ", "swa"},
    {"すぃ", "swi"},
    {"すぅ", "swu"},
    {"すぇ", "swe"},
    {"すぉ", "swo"},
    {"つぁ", "tsa"},
    {"つぃ", "tsi"},
    {"つぇ", "tse"},
    {"つぉ", "tso"},
    {"てゃ", "tha"},
    {"てぃ", "thi"},
    {"てゅ", "thu"},
    {"てぇ", "the"},
    {"てょ", "tho"},
    {"でゃ", "dha"},
    {"でぃ", "dhi"},
    {"でゅ", "dhu"},
    {"でぇ", "dhe"},
    {"でょ", "dho"},
    {"とぁ", "twa"},
    {"とぃ", "twi"},
    {"とぅ", "twu"},
    {"とぇ", "twe"},
    {"とぉ", "two"},
    {"どぁ", "dwa"},
    {"どぃ", "dwi"},
    {"どぅ", "dwu"},
    {"どぇ", "dwe"},
    {"どぉ", "dwo"},
    {"ふぁ", "fa fwa"},
    {"ふぃ", "fi fwi fyi"},
    {"ふぅ", "fwu"},
    {"ふぇ", "fe fwe fye"},
    {"ふぉ", "fo fwo"},
    {"ふゃ", "fya"},
    {"ふゅ", "fyu"},
    {"ふょ", "fyo"},
    {"ゔぁ", "va"},
    {"ゔぃ", "vi vyi"},
    {"ゔぇ", "ve vye"},
    {"ゔぉ", "vo"},
    {"ゔゃ", "vya"},
    {"ゔゅ", "vyu"},
    {"ゔょ", "vyo"},
};

struct TransparentHash
{
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const
    {
        return std::hash<std::string_view>{}(text);
    }
};

using RuleIndex =
    std::unordered_map<std::string, std::vector<std::string>, TransparentHash, std::equal_to<>>;

const RuleIndex &ruleIndex()
{
    static const RuleIndex index = [] {
        RuleIndex built;
        for (const ImeRule &rule : kImeRules) {
            std::vector<std::string> &spellings = built[std::string(rule.kana)];
            std::string_view rest = rule.spellings;
            while (!rest.empty()) {
                const std::size_t space = rest.find(' ');
                spellings.emplace_back(rest.substr(0, space));
                rest =
                    space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
            }
        }
        return built;
    }();
    return index;
}

} // namespace

const std::vector<std::string> &imeSpellings(std::string_view hiragana)
{
    static const std::vector<std::string> none;
    const RuleIndex &index = ruleIndex();
    const auto found = index.find(hiragana);
    return found == index.end() ? none : found->second;
}

bool isImeKana(char32_t hiragana)
{
    // ぁ (U+3041) to ゖ (U+3096): the whole hiragana block but its marks.
    return hiragana >= U'ぁ' && hiragana <= U'ゖ';
}

char32_t toHiragana(char32_t kana)
{
    // ァ (U+30A1) to ヶ (U+30F6) lie 0x60 above their hiragana.
    return kana >= U'ァ' && kana <= U'ヶ' ? kana - 0x60 : kana;
}

bool continuesSingleN(char32_t nextKey)
{
    switch (nextKey) {
    case U'a':
    case U'i':
    case U'u':
    case U'e':
    case U'o':
    case U'y':
    case U'n':
        return false;
    default:
        return true;
    }
}

bool isDoublingConsonant(char32_t key)
{
    if (key < U'a' || key > U'z')
        return false;
    switch (key) {
    case U'a':
    case U'i':
    case U'u':
    case U'e':
    case U'o':
    case U'n':
    case U'x':
    case U'l':
        return false;
    default:
        return true;
    }
}

} // namespace ks
