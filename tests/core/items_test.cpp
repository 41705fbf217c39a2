#include "core/items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ks {
namespace {

using Items = std::vector<std::string>;

struct ItemCase
{
    const char *name;
    std::string text;
    Items expected;
};

void PrintTo(const ItemCase &c, std::ostream *os)
{
    *os << c.name;
}

class ItemReading : public ::testing::TestWithParam<ItemCase>
{
};

// The tokenising rules shared by the romaji table and the problem files.
TEST_P(ItemReading, GivesTheItemsInFileOrder)
{
    const ItemCase &c = GetParam();
    Result<Items> items = parseItems(c.text, 1000);
    ASSERT_TRUE(items.ok());
    EXPECT_EQ(*items, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ItemReading,
    ::testing::Values(ItemCase{"CommasAndCrLf", "a,b\r\nc,d\r\n", {"a", "b", "c", "d"}},
                      ItemCase{"BareLfAndLoneCr", "a\nb\rc", {"a", "b", "c"}},
                      ItemCase{"LinesDoNotMatter", "a,b,c,d", {"a", "b", "c", "d"}},
                      ItemCase{"NoFinalLineEnd", "a,b", {"a", "b"}},
                      ItemCase{"BlanksBeforeSkipped", "  a,\tb", {"a", "b"}},
                      ItemCase{"BlanksAfterUnquotedDropped", "a  ,b\t\r\n", {"a", "b"}},
                      ItemCase{"BlanksInsideKept", "a b,c", {"a b", "c"}},
                      ItemCase{
                          "IdeographicSpaceIsText", "\u3000あ\u3000,い", {"\u3000あ\u3000", "い"}},
                      ItemCase{"BlankLinesGiveNothing", "a\r\n\r\n  \r\nb\r\n\r\n", {"a", "b"}},
                      ItemCase{"TrailingCommaStartsNoItem", "a,b,\r\nc,", {"a", "b", "c"}},
                      ItemCase{"TrailingCommaThenBlanks", "a, \r\nb", {"a", "b"}},
                      ItemCase{"TwoCommasGiveAnEmptyItem", "a,,b", {"a", "", "b"}},
                      ItemCase{"LeadingCommaGivesAnEmptyItem", ",a", {"", "a"}},
                      ItemCase{"QuotesRemoved", "\"a\",b", {"a", "b"}},
                      ItemCase{"CommaInsideQuotes", "\"a,b\",c", {"a,b", "c"}},
                      ItemCase{"EmptyQuoted", "x,\"\"\r\ny", {"x", "", "y"}},
                      ItemCase{"QuotedKeepsBlanks", "\" a \",b", {" a ", "b"}},
                      ItemCase{"TextAfterClosingQuoteKept", "\"a,b\"c,d", {"a,bc", "d"}},
                      ItemCase{"UnclosedQuoteEndsAtLineEnd", "\"a,b\r\nc", {"a,b", "c"}},
                      ItemCase{"QuoteInsideUnquotedIsText", "a\"b,c", {"a\"b", "c"}},
                      ItemCase{"EmptyText", "", {}}, ItemCase{"OnlyBlankLines", "\r\n \r\n\n", {}}),
    [](const ::testing::TestParamInfo<ItemCase> &test) { return test.param.name; });

// The readers' stores are fixed: exactly capacity items fit, one more is an error.
TEST(ItemCapacity, ExactlyCapacityFitsOneMoreIsAnError)
{
    std::string text;
    for (int i = 0; i < 501; ++i)
        text += "x\r\n";
    Result<Items> full = parseItems(text, 501);
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(full->size(), 501u);

    Result<Items> over = parseItems(text + "y", 501);
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error().code, ErrorCode::TooManyItems);
}

struct NumberCase
{
    const char *item;
    double value;
};

void PrintTo(const NumberCase &c, std::ostream *os)
{
    *os << c.item;
}

class NumberRule : public ::testing::TestWithParam<NumberCase>
{
};

// Header numbers are read as their leading decimal number, else 0.
TEST_P(NumberRule, ReadsTheLeadingNumber)
{
    EXPECT_DOUBLE_EQ(numberValue(GetParam().item), GetParam().value) << GetParam().item;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberRule,
    ::testing::Values(NumberCase{"60", 60}, NumberCase{"5", 5}, NumberCase{"-3", -3},
                      NumberCase{"+7", 7}, NumberCase{"2.5", 2.5}, NumberCase{".5", 0.5},
                      NumberCase{"12秒", 12}, NumberCase{"3.5.1", 3.5}, NumberCase{"  42", 42},
                      NumberCase{"abc", 0}, NumberCase{"", 0}, NumberCase{"-", 0},
                      NumberCase{".", 0}, NumberCase{"１０", 0}, NumberCase{"nodata", 0}));

TEST(NumberRule, AHugeNumberIsNotInfinite)
{
    EXPECT_EQ(numberValue(std::string(400, '9')), 0.0);
}

} // namespace
} // namespace ks
