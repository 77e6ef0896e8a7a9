// Slips of typing: the table of formulas with a slip and their readings at each level, and
// where the slips are found in the text.
#include <gtest/gtest.h>

#include "oxserver/reader.h"
#include "oxserver/typingerrors.h"
#include "test_support.h"

namespace {

TEST(TypingErrors, HeardWhereTheyStandAtEachLevel) {
    const auto rows = oxtest::ReadTable("typingerrors.tsv");
    ASSERT_GE(rows.size(), 30u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.fields.size(), 3u) << "typingerrors.tsv line " << row.line;
        oxserver::Verbosity level{};
        ASSERT_TRUE(oxserver::ParseVerbosity(row.fields[1], level)) << "typingerrors.tsv line " << row.line;
        EXPECT_EQ(oxserver::ReadFormula(row.fields[0], level), row.fields[2])
            << "typingerrors.tsv line " << row.line << ": " << row.fields[0];
    }
}

struct Place {
    const char* formula;
    std::uint32_t at;
    const char* words;
};

class TypingErrorPlaces : public testing::TestWithParam<Place> {};

TEST_P(TypingErrorPlaces, FoundAtTheirPlace) {
    const Place& p = GetParam();
    const auto found = oxserver::FindTypingErrors(oxserver::Parse(p.formula));
    ASSERT_EQ(found.size(), 1u) << p.formula;
    EXPECT_EQ(found[0].at, p.at) << p.formula;
    EXPECT_EQ(found[0].words, p.words) << p.formula;
}

INSTANTIATE_TEST_SUITE_P(
    Slips, TypingErrorPlaces,
    testing::Values(Place{"x = (-b +- sqrt(b^2-4ac)/(2a)", 29, "parêntese sem fechamento"},
                    Place{"a+b)", 3, "parêntese sem abertura"}, Place{"1/", 1, "denominador vazio"},
                    Place{"/2", 0, "numerador vazio"}, Place{"frac{1}{}", 7, "denominador vazio"},
                    Place{"x^()+1", 2, "expoente vazio"}, Place{"sqrt()", 4, "raiz vazia"}));

TEST(TypingErrors, NoneInAWellTypedFormula) {
    for (const char* formula : {"(a+b)/2", "P(A|B)", "{x | x > 0}", "|x|", "x^2_1", "sqrt(2)", "f(x)"})
        EXPECT_TRUE(oxserver::FindTypingErrors(oxserver::Parse(formula)).empty()) << formula;
}

}  // namespace
