#include "shell/Error_Window.h"

#include "Shell_Fixture.h"

#include <gtest/gtest.h>

namespace {
QStringList Numbered(int n) {
    QStringList l;
    for (int i = 1; i <= n; ++i) l << QString("Line %1").arg(i);
    return l;
}
}  // namespace

TEST(Error_Window, Shows_Up_To_300_Lines_Joined_By_CrLf_And_Ok_Closes) {
    const QString cut = "\r\nToo many errors: truncated !";
    const std::pair<int, QString> cases[] = {
        {0, ""},
        {300, Numbered(300).join("\r\n")},
        {301, Numbered(300).join("\r\n") + cut},
        {1000, Numbered(300).join("\r\n") + cut},
    };
    for (const auto& [lines, text] : cases) {
        SCOPED_TRACE(lines);
        EXPECT_EQ(Error_Window::Error_Text(Numbered(lines)), text);
        if (lines < 2) continue;
        // Shown, the box holds the same lines.
        Error_Window w;
        w.Lines = Numbered(lines);
        w.show();
        QStringList expected = Numbered(std::min(lines, 300));
        if (lines > 300) expected << "Too many errors: truncated !";
        EXPECT_EQ(Box_Lines(w), expected);
        EXPECT_TRUE(w.Lines_Box->isReadOnly());
        w.Ok_Button->click();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.result(), QDialog::Accepted);
    }
}
