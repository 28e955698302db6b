#include "winsupport/CTooltip.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>

namespace {
constexpr int Padding = 5;
constexpr int Stem_Height = 10;
constexpr int Icon_Size = 16;
constexpr int Radius = 6;

// 0x00BBGGRR, the platform's colour values.
QColor To_QColor(quint32 c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

QFont Bold(QFont f) {
    f.setBold(true);
    return f;
}

QStyle::StandardPixmap Icon_Pixmap(int icon) {
    switch (icon) {
    case 2: return QStyle::SP_MessageBoxWarning;
    case 3: return QStyle::SP_MessageBoxCritical;
    default: return QStyle::SP_MessageBoxInformation;
    }
}
}  // namespace

// ===================================================================== tip window

Tip_Window::Tip_Window(QWidget* owner_window, bool balloon)
    : QWidget(owner_window, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), balloon_(balloon) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    if (balloon_) setAttribute(Qt::WA_TranslucentBackground);
    setFont(QApplication::font("QToolTip"));
}

void Tip_Window::Set_Title(const QString& title, int icon) {
    title_ = title;
    icon_ = icon;
    resize(sizeHint());
    update();
}

void Tip_Window::Set_Text(const QString& text) {
    text_ = text;
    resize(sizeHint());
    update();
}

void Tip_Window::Set_Text_Color(quint32 color) {
    fore_ = color;
    update();
}

void Tip_Window::Set_Background_Color(quint32 color) {
    back_ = color;
    update();
}

void Tip_Window::Set_Max_Width(int pixels) {
    max_width_ = std::max(pixels, 50);
    resize(sizeHint());
}

void Tip_Window::Set_Stem(bool up, int x) {
    stem_up_ = up;
    stem_x_ = x;
    update();
}

QSize Tip_Window::Content_Size() const {
    const int limit = max_width_ - 2 * Padding;
    int w = 0, h = 0;
    // A title shows only with its text, as the tooltip control does.
    if (!title_.isEmpty()) {
        const QFontMetrics bold(Bold(font()));
        const int icon = icon_ != 0 ? Icon_Size + Padding : 0;
        const QRect t = bold.boundingRect(QRect(0, 0, std::max(limit - icon, 10), 10000), Qt::TextWordWrap, title_);
        w = t.width() + icon;
        h = std::max(t.height(), icon_ != 0 ? Icon_Size : 0) + Padding;
    }
    const QRect t = fontMetrics().boundingRect(QRect(0, 0, limit, 10000), Qt::TextWordWrap, text_);
    w = std::max(w, t.width());
    h += t.height();
    return QSize(w, h);
}

QSize Tip_Window::sizeHint() const {
    const QSize c = Content_Size();
    return QSize(c.width() + 2 * Padding + 2, c.height() + 2 * Padding + 2 + (balloon_ ? Stem_Height : 0));
}

QRect Tip_Window::Body() const {
    QRect r = rect().adjusted(0, 0, -1, -1);
    if (balloon_) {
        if (stem_up_)
            r.setTop(r.top() + Stem_Height);
        else
            r.setBottom(r.bottom() - Stem_Height);
    }
    return r;
}

void Tip_Window::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor back = back_ ? To_QColor(back_) : palette().color(QPalette::ToolTipBase);
    const QColor fore = fore_ ? To_QColor(fore_) : palette().color(QPalette::ToolTipText);
    const QRect body = Body();
    if (balloon_) {
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath path;
        path.addRoundedRect(QRectF(body).adjusted(0.5, 0.5, -0.5, -0.5), Radius, Radius);
        const int x = std::clamp(stem_x_, Radius + 2, std::max(Radius + 2, body.right() - Radius - 12));
        QPainterPath stem;
        if (stem_up_) {
            stem.moveTo(x, body.top() + 1);
            stem.lineTo(x, 0.5);
            stem.lineTo(x + 12, body.top() + 1);
        } else {
            stem.moveTo(x, body.bottom() - 1);
            stem.lineTo(x, height() - 0.5);
            stem.lineTo(x + 12, body.bottom() - 1);
        }
        stem.closeSubpath();
        path = path.united(stem);
        p.fillPath(path, back);
        p.setPen(QPen(fore, 1));
        p.drawPath(path);
    } else {
        p.fillRect(body, back);
        p.setPen(fore);
        p.drawRect(body);
    }
    QRect area = body.adjusted(Padding + 1, Padding + 1, -Padding, -Padding);
    p.setPen(fore);
    if (!title_.isEmpty()) {
        int left = area.left();
        if (icon_ != 0) {
            const QPixmap pm = style()->standardIcon(Icon_Pixmap(icon_), nullptr, this).pixmap(Icon_Size, Icon_Size);
            p.drawPixmap(left, area.top(), pm);
            left += Icon_Size + Padding;
        }
        p.setFont(Bold(font()));
        const QRect t(left, area.top(), area.right() - left + 1, area.height());
        const QRect used = p.boundingRect(t, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, title_);
        p.drawText(t, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, title_);
        area.setTop(area.top() + std::max(used.height(), icon_ != 0 ? Icon_Size : 0) + Padding);
        p.setFont(font());
    }
    p.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text_);
}

// ===================================================================== CTooltip

CTooltip::CTooltip() : delay_timer_(new QTimer(this)), visible_timer_(new QTimer(this)) {
    delay_timer_->setSingleShot(true);
    visible_timer_->setSingleShot(true);
    connect(delay_timer_, &QTimer::timeout, this, &CTooltip::Show_Tip);
    connect(visible_timer_, &QTimer::timeout, this, [this] {
        Hide_Tip();
        spent_ = true;
    });
}

CTooltip::~CTooltip() { Destroy(); }

QString CTooltip::Cut_Title(const QString& title) {
    return title.size() >= 100 ? title.left(96) + QStringLiteral("...") : title;
}

void CTooltip::Written(Tooltip_Detail::Prop p) {
    using Tooltip_Detail::Prop;
    if (p == Prop::Title) Title.value_ = Cut_Title(Title.value_);
    if (!tip_) return;
    switch (p) {
    case Prop::ForeColor: tip_->Set_Text_Color(ForeColor); break;
    case Prop::BackColor: tip_->Set_Background_Color(BackColor); break;
    case Prop::TipText: tip_->Set_Text(TipText); break;
    case Prop::Title:
    case Prop::Icon:
        if (!Title().isEmpty() && Icon != 0) tip_->Set_Title(Title, Icon);
        break;
    default: return;  // at the next Create
    }
    if (tip_->isVisible()) Place();
}

bool CTooltip::Create(QWidget* parent, const QRect& rect) {
    return Create(parent, rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
}

bool CTooltip::Create(QWidget* ParentHwnd, int left, int top, int right, int bottom) {
    Destroy();
    if (!ParentHwnd) return false;
    parent_ = ParentHwnd;
    whole_ = left == 0 && top == 0 && right == 0 && bottom == 0;
    rect_ = QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                  QSize(std::abs(right - left), std::abs(bottom - top)));
    centered_ = Centered;
    visible_ms_ = VisibleTime;
    delay_ms_ = DelayTime;
    spent_ = false;

    tip_ = new Tip_Window(ParentHwnd->window(), Style == 1);
    tip_->Set_Text(TipText);
    if (!Title().isEmpty() || Icon != 0) tip_->Set_Title(Title, Icon);
    if (ForeColor != 0u) tip_->Set_Text_Color(ForeColor);
    if (BackColor != 0u) tip_->Set_Background_Color(BackColor);
    const QScreen* screen = ParentHwnd->screen() ? ParentHwnd->screen() : QGuiApplication::primaryScreen();
    tip_->Set_Max_Width(screen ? screen->geometry().width() / 2 : 400);

    qApp->installEventFilter(this);
    // The tool is usually made under the mouse: the delay runs from now.
    if (Mouse_In_Tool(QCursor::pos())) delay_timer_->start(std::max(delay_ms_, 0));
    return true;
}

void CTooltip::Destroy() {
    delay_timer_->stop();
    visible_timer_->stop();
    if (qApp) qApp->removeEventFilter(this);
    delete tip_.data();
    tip_ = nullptr;
    parent_ = nullptr;
}

QRect CTooltip::Tool_Rect() const {
    if (whole_) return parent_ ? parent_->rect() : QRect();
    return rect_;
}

bool CTooltip::Is_Shown() const { return tip_ && tip_->isVisible(); }

bool CTooltip::Mouse_In_Tool(const QPoint& global) const {
    if (!parent_ || !parent_->isVisible()) return false;
    return Tool_Rect().contains(parent_->mapFromGlobal(global));
}

namespace {
// One tip on the screen at a time, whichever object made it.
QPointer<CTooltip> Shown_Tooltip;
}  // namespace

void CTooltip::Show_Tip() {
    delay_timer_->stop();
    if (!tip_ || !parent_ || tip_->Shown_Text().isEmpty()) return;
    if (Shown_Tooltip && Shown_Tooltip != this) Shown_Tooltip->Hide_Tip();
    Shown_Tooltip = this;
    Place();
    tip_->show();
    tip_->raise();
    if (visible_ms_ > 0) visible_timer_->start(visible_ms_);
}

void CTooltip::Hide_Tip() {
    delay_timer_->stop();
    visible_timer_->stop();
    if (tip_) tip_->hide();
}

void CTooltip::Place() {
    if (!tip_ || !parent_) return;
    const QSize size = tip_->sizeHint();
    const QRect tool(parent_->mapToGlobal(Tool_Rect().topLeft()), Tool_Rect().size());
    // Centred under the tool, or under the mouse pointer.
    QPoint anchor = centered_ ? QPoint(tool.center().x(), tool.bottom() + 1) : QCursor::pos() + QPoint(0, 18);
    QPoint pos = centered_ ? QPoint(anchor.x() - size.width() / 2, anchor.y()) : QPoint(anchor.x() - 16, anchor.y());
    bool below = true;
    const QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen) screen = parent_->screen();
    if (screen) {
        const QRect avail = screen->availableGeometry();
        if (pos.y() + size.height() > avail.bottom()) {
            below = false;
            pos.setY((centered_ ? tool.top() : QCursor::pos().y()) - size.height() - 1);
        }
        pos.setX(std::clamp(pos.x(), avail.left(), std::max(avail.left(), avail.right() - size.width() + 1)));
        pos.setY(std::max(pos.y(), avail.top()));
    }
    tip_->Set_Stem(below, anchor.x() - pos.x());
    tip_->setGeometry(QRect(pos, size));
}

bool CTooltip::eventFilter(QObject* watched, QEvent* e) {
    if (!tip_ || !parent_ || !watched->isWidgetType()) return false;
    switch (e->type()) {
    case QEvent::MouseMove: {
        QWidget* w = static_cast<QWidget*>(watched);
        if (w != parent_ && !parent_->isAncestorOf(w)) break;
        const QPoint global = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
        if (Mouse_In_Tool(global)) {
            if (!Is_Shown() && !spent_ && !delay_timer_->isActive()) delay_timer_->start(std::max(delay_ms_, 0));
        } else {
            Hide_Tip();
            spent_ = false;
        }
        break;
    }
    case QEvent::Leave:
        if (watched == parent_) {
            Hide_Tip();
            spent_ = false;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        if (Is_Shown() || delay_timer_->isActive()) {
            Hide_Tip();
            spent_ = true;
        }
        break;
    default: break;
    }
    return false;
}
