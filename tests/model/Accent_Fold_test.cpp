#include "model/Accent_Fold.h"

#include <gtest/gtest.h>

TEST(Accent_Fold, Letters_Lose_Their_Marks_And_Keep_Their_Case) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"Énergie été", u"Energie ete"},
        {u"ŒUVRE cœur", u"OEUVRE coeur"},
        {u"Straße", u"Strasse"},
        {u"Æsop ÇA Ø Łódź", u"AEsop CA O Lodz"},
        {u"Ångström naïve Š", u"Angstrom naive S"},
        {u"e\u0301", u"e"},  // already decomposed
        {u"ﬁ ² €", u"ﬁ ² €"},  // not accented letters: kept as they are
        {u"plain [a-z]*?#", u"plain [a-z]*?#"},
        {u"", u""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(Without_Accents(QString::fromUtf16(in)), QString::fromUtf16(out))
            << QString::fromUtf16(in).toStdString();
    EXPECT_FALSE(May_Have_Accents(u"plain text"));
    EXPECT_TRUE(May_Have_Accents(u"été"));
}
