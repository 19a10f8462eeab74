#pragma once

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <optional>

class QWidget;

namespace tabulex {

// A window's mouse pointer values.
enum class MousePointer { Default = 0, Hourglass = 11, Custom = 99 };

// The mouse pointer of one window: the value shown over the window, the custom picture
// (the hand cursor), and the hover rules that keep it in step without ever replacing the
// hourglass: over an attached push button it becomes custom, over an attached surface the
// default.
class WindowPointer : public QObject {
    Q_OBJECT
public:
    explicit WindowPointer(QWidget* window);

    MousePointer mousePointer() const { return m_pointer; }
    void setMousePointer(MousePointer pointer);

    // The custom picture; the pointing hand until a cursor file is loaded.
    const QCursor& mouseIcon() const { return m_custom; }
    // Loads a cursor file as the custom picture; false (and no change) when it cannot be read.
    bool loadMouseIcon(const QString& cursorFile);

    void attachButton(QWidget* button);
    void attachSurface(QWidget* surface);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hover(MousePointer pointer);

    QWidget* m_window;
    MousePointer m_pointer = MousePointer::Default;
    QCursor m_custom{Qt::PointingHandCursor};
    QSet<QObject*> m_buttons;
    QSet<QObject*> m_surfaces;
};

// Hourglass now, default at the end of the scope.
class Hourglass {
public:
    explicit Hourglass(WindowPointer& pointer) : m_pointer(pointer)
    {
        m_pointer.setMousePointer(MousePointer::Hourglass);
    }
    ~Hourglass() { m_pointer.setMousePointer(MousePointer::Default); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    WindowPointer& m_pointer;
};

// Reads a Windows cursor file (.cur) with its hot spot; nothing when it cannot be read.
std::optional<QCursor> loadCursorFile(const QString& path);

} // namespace tabulex
