#pragma once

// What widget tests share: grabbing a widget to an image, colour and
// rectangle checks on it, waiting for the event loop, and answering the
// modal boxes a command opens.

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace orvane::test {

// The widget as it paints itself, in 32-bit RGB.
inline QImage Grab(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline bool SameColor(QRgb pixel, const QColor& color)
{
    return (pixel & 0xFFFFFF) == (color.rgb() & 0xFFFFFF);
}

// Pixels of the colour inside the rectangle (clipped to the image).
inline int CountColor(const QImage& image, const QRect& rect, const QColor& color)
{
    const QRect r = rect.intersected(image.rect());
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            count += SameColor(line[x], color) ? 1 : 0;
    }
    return count;
}

// Every pixel of the rectangle has the colour.
inline bool AllColor(const QImage& image, const QRect& rect, const QColor& color)
{
    return rect.intersected(image.rect()) == rect && CountColor(image, rect, color) == rect.width() * rect.height();
}

// The smallest rectangle holding every pixel of the colour; empty when none.
inline QRect ColorBounds(const QImage& image, const QColor& color, QRect within = QRect())
{
    const QRect r = within.isNull() ? image.rect() : within.intersected(image.rect());
    int left = r.right() + 1, right = r.left() - 1, top = r.bottom() + 1, bottom = r.top() - 1;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            if (!SameColor(line[x], color))
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < left ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Processes events until the condition holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Offers every modal window that opens (a message box, a dialog) to
// `answer`, from inside its own event loop, until `answer` takes one by
// returning true. Delete the returned timer to stop looking.
inline QTimer* WhenModal(const std::function<bool(QWidget* modal)>& answer, int intervalMs = 10)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && answer(modal)) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(intervalMs);
    return timer;
}

// Answers the next message box with its button and hands back its text.
inline QTimer* AnswerMessageBox(QString* text, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    return WhenModal([text, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return false;
        if (text)
            *text = box->text();
        if (QAbstractButton* b = box->button(button))
            b->click();
        else
            box->reject();
        return true;
    });
}

} // namespace orvane::test
