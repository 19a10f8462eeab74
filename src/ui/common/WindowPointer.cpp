#include "ui/common/WindowPointer.h"

#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
#include <QtEndian>

namespace tabulex {

namespace {

// A .cur file: a 6-byte directory header (type 2 for cursors), then 16-byte entries whose
// bytes 4 to 7 hold the hot spot.
constexpr int kCurHeaderSize = 6;
constexpr int kCurEntrySize = 16;
constexpr quint16 kCurType = 2;

} // namespace

std::optional<QCursor> loadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kCurHeaderSize + kCurEntrySize ||
        qFromLittleEndian<quint16>(bytes.constData() + 2) != kCurType)
        return std::nullopt;
    QImage image;
    if (!image.loadFromData(bytes, "CUR") || image.isNull())
        return std::nullopt;
    const char* entry = bytes.constData() + kCurHeaderSize;
    const int hotX = qFromLittleEndian<quint16>(entry + 4);
    const int hotY = qFromLittleEndian<quint16>(entry + 6);
    return QCursor(QPixmap::fromImage(image), qMin(hotX, image.width() - 1),
                   qMin(hotY, image.height() - 1));
}

WindowPointer::WindowPointer(QWidget* window) : QObject(window), m_window(window)
{
    attachSurface(window);
}

void WindowPointer::setMousePointer(MousePointer pointer)
{
    m_pointer = pointer;
    switch (pointer) {
    case MousePointer::Default:
        m_window->unsetCursor();
        break;
    case MousePointer::Hourglass:
        m_window->setCursor(Qt::WaitCursor);
        break;
    case MousePointer::Custom:
        m_window->setCursor(m_custom);
        break;
    }
}

bool WindowPointer::loadMouseIcon(const QString& cursorFile)
{
    std::optional<QCursor> cursor = loadCursorFile(cursorFile);
    if (!cursor)
        return false;
    m_custom = *cursor;
    if (m_pointer == MousePointer::Custom)
        setMousePointer(MousePointer::Custom);
    return true;
}

void WindowPointer::attachButton(QWidget* button)
{
    button->setMouseTracking(true);
    button->installEventFilter(this);
    m_buttons.insert(button);
}

void WindowPointer::attachSurface(QWidget* surface)
{
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
    m_surfaces.insert(surface);
}

bool WindowPointer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove)
        return false;
    if (m_buttons.contains(watched)) {
        hover(MousePointer::Custom);
    } else if (m_surfaces.contains(watched)) {
        // A move that reached the surface from a child (a label, the check box) is not over
        // the surface itself; those children leave the pointer as it is.
        auto* surface = static_cast<QWidget*>(watched);
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!surface->childAt(move->position().toPoint()))
            hover(MousePointer::Default);
    }
    return false;
}

void WindowPointer::hover(MousePointer pointer)
{
    if (m_pointer != MousePointer::Hourglass && m_pointer != pointer)
        setMousePointer(pointer);
}

} // namespace tabulex
