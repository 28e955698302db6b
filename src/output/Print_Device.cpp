#include "output/Print_Device.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

namespace {
constexpr double Mm_Per_Inch = 25.4;
}

Painter_Print_Device::Painter_Print_Device(QPagedPaintDevice* device, QPrinter* printer)
    : device_(device), printer_(printer) {
    Set_Font(font_);
}

Painter_Print_Device::~Painter_Print_Device() {
    if (painter_) {
        if (painter_->isActive()) painter_->end();
        delete painter_;
    }
}

double Painter_Print_Device::Px(double mm) const { return mm * device_->logicalDpiX() / Mm_Per_Inch; }

double Painter_Print_Device::Scale_Width() const { return device_->width() * Mm_Per_Inch / device_->logicalDpiX(); }

double Painter_Print_Device::Scale_Height() const { return device_->height() * Mm_Per_Inch / device_->logicalDpiY(); }

void Painter_Print_Device::Set_Font(const Print_Font& font) {
    font_ = font;
    qfont_ = QFont(font.Name);
    qfont_.setPointSizeF(font.Size > 0 ? font.Size : 8.25);
    qfont_.setBold(font.Bold);
    qfont_.setItalic(font.Italic);
    qfont_.setUnderline(font.Underline);
    qfont_.setStrikeOut(font.Strikethrough);
    metrics_.emplace(qfont_, device_);
    font_widths_ = &widths_[qfont_.key()];
    mm_per_px_x_ = Mm_Per_Inch / device_->logicalDpiX();
    mm_per_px_y_ = Mm_Per_Inch / device_->logicalDpiY();
    if (painter_ && painter_->isActive()) painter_->setFont(qfont_);
}

double Painter_Print_Device::Text_Width(const QString& text) {
    constexpr qsizetype kShort = 48;
    if (text.size() > kShort) return metrics_->horizontalAdvance(text) * mm_per_px_x_;
    auto it = font_widths_->constFind(text);
    if (it == font_widths_->cend()) it = font_widths_->insert(text, metrics_->horizontalAdvance(text) * mm_per_px_x_);
    return *it;
}

double Painter_Print_Device::Text_Height(const QString&) { return metrics_->height() * mm_per_px_y_; }

bool Painter_Print_Device::Begin() {
    if (failed_) return false;
    if (painter_ && painter_->isActive()) return true;
    delete painter_;
    painter_ = new QPainter;
    if (!painter_->begin(device_)) {
        failed_ = true;
        return false;
    }
    painter_->setFont(qfont_);
    return true;
}

bool Painter_Print_Device::Print_Text(double x, double top, const QString& text) {
    if (!Begin()) return false;
    painter_->setPen(Qt::black);
    painter_->drawText(QPointF(Px(x), Px(top) + metrics_->ascent()), text);
    return true;
}

bool Painter_Print_Device::Line(double x1, double y1, double x2, double y2, const QColor& colour) {
    if (!Begin()) return false;
    QPen pen(colour);
    pen.setWidthF(Px(0.2));
    painter_->setPen(pen);
    painter_->drawLine(QPointF(Px(x1), Px(y1)), QPointF(Px(x2), Px(y2)));
    return true;
}

bool Painter_Print_Device::New_Page() {
    if (!Begin()) return false;
    return device_->newPage();
}

bool Painter_Print_Device::End_Doc() {
    // A document with nothing on it still gets its (empty) page.
    if (!Begin()) return false;
    return painter_->end();
}

void Painter_Print_Device::Kill_Doc() {
    if (printer_) printer_->abort();
    if (painter_ && painter_->isActive()) painter_->end();
    // A cancelled job into a file leaves no broken file behind.
    if (printer_ && !printer_->outputFileName().isEmpty()) QFile::remove(printer_->outputFileName());
}

double Recording_Print_Device::Text_Width(const QString& text) {
    return text.size() * 0.2 * font_.Size * (font_.Bold ? 1.1 : 1.0);
}

double Recording_Print_Device::Text_Height(const QString&) { return 0.4 * font_.Size; }

bool Recording_Print_Device::Print_Text(double x, double top, const QString& text) {
    if (Fail_After_Texts >= 0 && static_cast<int>(Texts.size()) >= Fail_After_Texts) return false;
    Texts.push_back({Pages, x, top, text, font_.Size, font_.Bold});
    return true;
}

bool Recording_Print_Device::Line(double x1, double y1, double x2, double y2, const QColor&) {
    Lines.push_back({Pages, x1, y1, x2, y2});
    return true;
}

bool Recording_Print_Device::New_Page() {
    ++Pages;
    return true;
}

bool Recording_Print_Device::End_Doc() {
    Ended = true;
    return true;
}

const Recording_Print_Device::Text_Op* Recording_Print_Device::Find(const QString& text, int page) const {
    for (const Text_Op& t : Texts)
        if (t.Text == text && (page == 0 || t.Page == page)) return &t;
    return nullptr;
}
