#pragma once
// Sizes of cell texts for fitting a grid's cells to them, in one font, in pixels: each
// distinct text is measured at most once, and only when it can change the answer. A
// text's width is first bounded by the sum of its characters' advances (what shaping
// and kerning change is a few per cent); only texts whose bound reaches the widest
// measured so far are laid out for real.
#include <QFontMetrics>
#include <QHash>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class Cell_Fit {
public:
    explicit Cell_Fit(const QFont& font);

    // The widest of the unwrapped texts of a column, text_of(r) for r below
    // heights.size(); each row's height grows to hold the column's text.
    int Widest(const std::function<QString(int)>& text_of, std::vector<int>& heights);
    // Height of a text of that many lines.
    int Lines_Height(int lines);
    // Height of a text wrapped at a width.
    int Wrapped_Height(const QString& text, int width);

private:
    // Upper estimate of the widest line; -1 when only a real layout will tell (tabs,
    // characters from other scripts, whose fonts and shaping differ).
    // Its lines are counted on the way.
    int Estimate(QStringView text, int& lines);
    // Shaping and kerning made texts of the two languages up to 1.2 % wider than the
    // sum of their characters' advances.
    int Slack(int estimate) const { return estimate / 32 + 2 * average_; }
    // Lines of a text wrapped at a width, from its characters' advances, never fewer
    // than a real layout gives; -1 when only a real layout will tell (as Estimate, and a
    // word wider than a line, a break that punctuation forbids).
    int Estimated_Lines(QStringView text, int width);
    int Advance(char16_t u);
    QSize Exact(const QString& text);

    QFontMetrics fm_;
    int average_;
    std::vector<qint16> advance_;  // by character, -1 until asked
    QHash<QString, QSize> exact_;
    QHash<QString, int> wrapped_;
    int wrapped_width_ = -1;
    std::vector<int> lines_height_;
};

// Widths the user gave columns by hand, by field, kept while the result shows the same
// fields (another language, another set of fields forgets them).
class Hand_Widths {
public:
    // Forgets every width unless the fields shown are those the widths were set on; true
    // when it did (the fields are new).
    bool Keep_For(const std::vector<qint32>& fields);
    void Set(qint32 field, int pixels, const std::vector<qint32>& fields);
    std::optional<int> Of(qint32 field) const;

private:
    std::vector<qint32> fields_;
    QHash<qint32, int> widths_;
};

// Widths of columns that would each take wanted[i] (pixels), sharing room: each at least
// base; when room is short of what they want, the room beyond base goes in proportion to
// what each wants beyond base; when room is more than enough, what is left goes in
// proportion to their widths. With room for base each, they add up to room exactly.
std::vector<int> Share_Width(const std::vector<int>& wanted, int base, int room);
