#pragma once
// What the list printer needs from an output device, in millimetres: text measures,
// text at a position, a line, pages, and the end or the cancel of a document. The
// painter device serves printers, the preview and PDF files; the recording device
// keeps every operation so that tests can read the printout.
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <deque>
#include <optional>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

struct Print_Font {
    QString Name = QStringLiteral("Sans Serif");
    double Size = 8.25;  // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;

    bool operator==(const Print_Font&) const = default;
};

class Print_Device {
public:
    virtual ~Print_Device() = default;
    // The printable area of a page.
    virtual double Scale_Width() const = 0;
    virtual double Scale_Height() const = 0;
    virtual void Set_Font(const Print_Font& font) = 0;
    virtual Print_Font Font() const = 0;
    // Measures of one line of text in the current font.
    virtual double Text_Width(const QString& text) = 0;
    virtual double Text_Height(const QString& text) = 0;
    // The text with its top-left corner at (x, top); false on a device error.
    virtual bool Print_Text(double x, double top, const QString& text) = 0;
    virtual bool Line(double x1, double y1, double x2, double y2, const QColor& colour) = 0;
    virtual bool New_Page() = 0;
    virtual bool End_Doc() = 0;
    virtual void Kill_Doc() = 0;
};

// A printer, a preview page or a PDF writer, drawn with a QPainter that starts with
// the first drawing. The device must outlive this object.
class Painter_Print_Device : public Print_Device {
public:
    explicit Painter_Print_Device(QPagedPaintDevice* device, QPrinter* printer = nullptr);
    ~Painter_Print_Device() override;

    double Scale_Width() const override;
    double Scale_Height() const override;
    void Set_Font(const Print_Font& font) override;
    Print_Font Font() const override { return font_; }
    double Text_Width(const QString& text) override;
    double Text_Height(const QString& text) override;
    bool Print_Text(double x, double top, const QString& text) override;
    bool Line(double x1, double y1, double x2, double y2, const QColor& colour) override;
    bool New_Page() override;
    bool End_Doc() override;
    void Kill_Doc() override;

private:
    bool Begin();
    double Px(double mm) const;
    QPagedPaintDevice* device_;
    QPrinter* printer_;
    QPainter* painter_ = nullptr;
    bool failed_ = false;
    Print_Font font_;
    QFont qfont_;
    // Made once per font: building metrics for every text measured was most of a long job.
    std::optional<QFontMetricsF> metrics_;
    // Labels, codes, names and words come back page after page: each short text is
    // measured once per font (the page title's font comes and goes on every page).
    QHash<QString, QHash<QString, double>> widths_;
    QHash<QString, double>* font_widths_ = nullptr;

    double mm_per_px_x_ = 0, mm_per_px_y_ = 0;
};

// Keeps what was printed. Text measures are simple and exact: every character is
// 0.2 mm per point of the font size wide (a tenth more in bold), a line is 0.4 mm per
// point high.
class Recording_Print_Device : public Print_Device {
public:
    struct Text_Op {
        int Page;
        double X, Top;
        QString Text;
        double Size;
        bool Bold;
    };
    struct Line_Op {
        int Page;
        double X1, Y1, X2, Y2;
    };
    double Width = 190, Height = 277;
    std::deque<Text_Op> Texts;  // a long job keeps millions: grown without moving them
    std::vector<Line_Op> Lines;
    int Pages = 1;  // the page being written
    bool Ended = false;
    bool Killed = false;
    int Fail_After_Texts = -1;  // >= 0: texts after that many fail, as a printer error would

    double Scale_Width() const override { return Width; }
    double Scale_Height() const override { return Height; }
    void Set_Font(const Print_Font& font) override { font_ = font; }
    Print_Font Font() const override { return font_; }
    double Text_Width(const QString& text) override;
    double Text_Height(const QString& text) override;
    bool Print_Text(double x, double top, const QString& text) override;
    bool Line(double x1, double y1, double x2, double y2, const QColor& colour) override;
    bool New_Page() override;
    bool End_Doc() override;
    void Kill_Doc() override { Killed = true; }

    const Text_Op* Find(const QString& text, int page = 0) const;  // page 0: any page

private:
    Print_Font font_;
};
