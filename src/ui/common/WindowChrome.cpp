#include "ui/common/WindowChrome.h"

#include "core/AppInfo.h"
#include "folders/FileTests.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>

namespace tabulex {

QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

void setBackground(QWidget* widget, const QColor& colour)
{
    // Buttons (check boxes, option buttons) fill with the Button role, the rest with Window.
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(widget->backgroundRole(), colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setSystemColors(QWidget* window)
{
    const QColor face = buttonFace();
    setBackground(window, face);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
            setBackground(child, face);
    }
}

QString skinFilePath() { return applicationFolder() + QStringLiteral("/x/o.cjs"); }

void applySkin(QWidget* window)
{
    if (!pathExists(skinFilePath()))
        return;
    setSystemColors(window);
}

} // namespace tabulex
