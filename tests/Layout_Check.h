#pragma once
// Whether a window shows every caption whole at its size, and whether it still fits a
// 1366 x 768 screen at a scale factor of 2 with captions 40% longer (French ones are).
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QWidget>
#include <cmath>

// Half of 1366 x 768 in logical pixels, less a window frame and caption.
inline const QSize Half_Screen_Room(1366 / 2 - 16, 768 / 2 - 40);

// The caption of a widget that shows one (labels, buttons, frames), "" for the others.
inline QString Caption_Of(const QWidget* w) {
    if (const auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    return {};
}

inline void Set_Caption(QWidget* w, const QString& text) {
    if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text);
    if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(text);
}

// "name "caption": wants WxH, has WxH" for each shown caption its place cuts. A caption
// the window shortens on purpose (its width policy Ignored, the whole text in its tip)
// counts for its height only; a wrapping one for the height it takes at its width.
inline QStringList Cut_Captions(QWidget* window) {
    window->layout()->activate();
    const auto text = [](QSize s) { return QStringLiteral("%1x%2").arg(s.width()).arg(s.height()); };
    QStringList cut;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString caption = Caption_Of(w);
        // A dialog over the window is checked on its own.
        if (caption.isEmpty() || !w->isVisibleTo(window) || w->window() != window) continue;
        QSize wanted = w->sizeHint();
        const bool shortened = w->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored;
        if (w->hasHeightForWidth()) wanted = QSize(0, w->heightForWidth(w->width()));
        if (shortened) wanted.setWidth(0);
        if (wanted.width() > w->width() || wanted.height() > w->height())
            cut << QStringLiteral("%1 \"%2\": wants %3, has %4")
                       .arg(w->objectName(), caption, text(wanted), text(w->size()));
    }
    return cut;
}

// With every caption 40% longer, the least size the window's layout allows still fits
// half the screen. The captions are put back after.
inline void Expect_Room_For_Longer_Captions(QWidget* window) {
    std::vector<std::pair<QWidget*, QString>> kept;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString caption = Caption_Of(w);
        if (caption.isEmpty() || caption.startsWith(QLatin1Char('<'))) continue;
        kept.emplace_back(w, caption);
        Set_Caption(w, caption + QString(static_cast<int>(std::ceil(caption.size() * 0.4)), QLatin1Char('x')));
    }
    window->layout()->activate();
    const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
    EXPECT_LE(least.width(), Half_Screen_Room.width()) << window->objectName().toStdString();
    EXPECT_LE(least.height(), Half_Screen_Room.height()) << window->objectName().toStdString();
    for (const auto& [w, caption] : kept) Set_Caption(w, caption);
    window->layout()->activate();
}
