#include "model/Utils.h"

#include <gtest/gtest.h>

// The range lists of the export's "Custom" set and of the column chooser.
TEST(Utils, Range_Lists) {
    const std::pair<const char*, QStringList> cases[] = {
        {"1-4,8", {"1", "2", "3", "4", "8"}},
        {" 10 - 12 , 007 ", {"10", "11", "12", "7"}},
        {"5-3", {""}},
        {"1-x,2", {"2"}},
        {"1-10001", {""}},
        {"Year, 3,,", {"Year", "3"}},
        {"", {""}},
        {"2,2", {"2", "2"}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Expand_Range_List(QString::fromUtf8(text)), expected) << text;
    EXPECT_EQ(Expand_Range_List(QStringLiteral("1-10000")).size(), 10000);
}
