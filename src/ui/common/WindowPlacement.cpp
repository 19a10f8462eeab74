#include "ui/common/WindowPlacement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace tabulex {

namespace {

// What a window manager usually adds around a window that has not been shown yet.
constexpr QMargins kUsualFrame(4, 30, 4, 4);

QMargins frameMargins(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    if (!window.isVisible() || frame == inner)
        return kUsualFrame;
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

std::optional<QRect> parsed(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return std::nullopt;
    return QRect(v[0], v[1], v[2], v[3]);
}

QScreen* screenFor(const QRect& frame)
{
    QScreen* best = nullptr;
    int bestArea = 0;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect common = s->geometry().intersected(frame);
        const int area = common.isEmpty() ? 0 : common.width() * common.height();
        if (area > bestArea) {
            best = s;
            bestArea = area;
        }
    }
    return best ? best : QGuiApplication::primaryScreen();
}

// Moves the frame's top left corner to topLeft and sizes the inside to size, both made to
// fit the screen's free area; a window smaller than asked never goes below its minimum.
void fit(QWidget& window, QPoint topLeft, QSize size, QScreen* screen)
{
    const QMargins m = frameMargins(window);
    if (screen) {
        const QRect area = screen->availableGeometry();
        const int maxWidth = area.width() - m.left() - m.right();
        const int maxHeight = area.height() - m.top() - m.bottom();
        size = size.boundedTo(QSize(maxWidth, maxHeight)).expandedTo(window.minimumSize());
        const int frameWidth = size.width() + m.left() + m.right();
        const int frameHeight = size.height() + m.top() + m.bottom();
        topLeft.setX(
            qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() + 1 - frameWidth)));
        topLeft.setY(
            qBound(area.top(), topLeft.y(), qMax(area.top(), area.bottom() + 1 - frameHeight)));
    }
    if (size != window.size())
        window.resize(size);
    window.move(topLeft);
}

// Once the window manager has framed the shown window, its whole frame is made to fit: a
// frame that a move before the first showing could not take into account may stick out.
void fitOnceFramed(QWidget& window)
{
    constexpr int kFramedAfterMs = 250;
    QTimer::singleShot(kFramedAfterMs, &window, [w = QPointer<QWidget>(&window)] {
        if (!w || !w->isVisible())
            return;
        const QRect frame = w->frameGeometry();
        QScreen* screen = screenFor(frame);
        if (screen && !screen->availableGeometry().contains(frame))
            fit(*w, frame.topLeft(), w->size(), screen);
    });
}

} // namespace

QString placementText(QPoint corner, QSize size)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(corner.x())
        .arg(corner.y())
        .arg(size.width())
        .arg(size.height());
}

QString placementText(const QWidget& window)
{
    return placementText(window.frameGeometry().topLeft(), window.size());
}

void restorePlacement(QWidget& window, const QString& text, bool keepSize)
{
    const QSize own = window.size().expandedTo(window.sizeHint().boundedTo(window.maximumSize()));
    const std::optional<QRect> stored = parsed(text);
    if (stored) {
        const QMargins m = kUsualFrame;
        const QSize size = keepSize ? own : stored->size();
        fit(window, stored->topLeft(), size, screenFor(QRect(stored->topLeft(), size.grownBy(m))));
        return;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(own);
        return;
    }
    const QMargins m = frameMargins(window);
    const QRect area = screen->availableGeometry();
    const QSize frame = own.grownBy(m);
    fit(window, area.center() - QPoint(frame.width() / 2, frame.height() / 2), own, screen);
    fitOnceFramed(window);
}

void placeLike(QWidget& window, const QWidget& other)
{
    const QSize own = window.size();
    fit(window, other.frameGeometry().topLeft(), own, screenFor(other.frameGeometry()));
    fitOnceFramed(window);
}

} // namespace tabulex
