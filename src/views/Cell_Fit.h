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
#include <vector>

class Text_Grid;

class Cell_Fit {
public:
    explicit Cell_Fit(const QFont& font);

    // The widest of the unwrapped texts of a column; each row's height grows to hold the
    // column's text (heights has one entry per row of the grid).
    int Widest(const Text_Grid& g, int col, std::vector<int>& heights);
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
    QSize Exact(const QString& text);

    QFontMetrics fm_;
    int average_;
    std::vector<qint16> advance_;  // by character, -1 until asked
    QHash<QString, QSize> exact_;
    QHash<QString, int> wrapped_;
    int wrapped_width_ = -1;
    std::vector<int> lines_height_;
};
