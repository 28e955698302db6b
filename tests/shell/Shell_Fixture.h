#pragma once
// The error window the start-up code shows modally, answered as a person would.
#include "shell/Error_Window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

// The box's text back as lines; CR LF must come out as one break, not two.
inline QStringList Box_Lines(const Error_Window& w) {
    return w.Lines_Box->toPlainText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split('\n');
}

// Clicks OK on each error window as it comes up and keeps what it showed.
struct Error_Window_Answerer {
    int shown = 0;
    QStringList problem_lines, lines;
    bool onTop = false;
    QTimer timer;
    QElapsedTimer clock;
    Error_Window_Answerer() {
        clock.start();
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* w = qobject_cast<Error_Window*>(modal)) {
                ++shown;
                problem_lines = w->Lines;
                lines = Box_Lines(*w);
                onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                w->Ok_Button->click();
            } else if (modal && clock.elapsed() > 10000) {
                modal->close();  // some other window: never leave a test waiting
            }
        });
        timer.start();
    }
};
