#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

namespace tabulex {

// A window's place as the settings store keeps it: "x,y,width,height", the frame's top left
// corner and the size inside the frame.
QString placementText(const QWidget& window);
// The same text for a window of `size` whose frame's top left corner is `corner`.
QString placementText(QPoint corner, QSize size);

// Puts the window where text says, fully on the screen that holds the stored place (moved
// and, where it is larger than the screen, made smaller); centred on the primary screen
// when text holds no place. With keepSize the window keeps its own size.
void restorePlacement(QWidget& window, const QString& text, bool keepSize = false);

// Puts the window where other is (top left corners together), fully on other's screen, so
// that one window takes the other's place.
void placeLike(QWidget& window, const QWidget& other);

} // namespace tabulex
