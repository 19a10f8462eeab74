#pragma once

#include <QColor>

class QWidget;

namespace tabulex {

// The system colour "button face".
QColor buttonFace();

// Fills a widget's background with colour.
void setBackground(QWidget* widget, const QColor& colour);

// Gives the window, and each of its option buttons, check boxes, frames and labels, the
// button-face background. Other controls keep their colours.
void setSystemColors(QWidget* window);

// The connection window's optional skin: with the file x/o.cjs beside the program the
// window takes the system colours; without it the window keeps its own. There is no skin
// engine, so the file's content is never read.
void applySkin(QWidget* window);

// The skin file beside the program.
QString skinFilePath();

} // namespace tabulex
