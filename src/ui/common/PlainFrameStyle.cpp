#include "ui/common/PlainFrameStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace tabulex {

PlainFrameStyle::PlainFrameStyle()
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
{
}

PlainFrameStyle* PlainFrameStyle::instance()
{
    static PlainFrameStyle* style = [] {
        auto* s = new PlainFrameStyle;
        s->setParent(qApp);
        return s;
    }();
    return style;
}

void PlainFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const
{
    if (element != PE_FrameGroupBox)
        return QProxyStyle::drawPrimitive(element, option, painter, widget);
    // A one-pixel line in the frame colour, nothing filled.
    const QRect r = option->rect.adjusted(0, 0, -1, -1);
    painter->save();
    painter->setPen(option->palette.color(QPalette::Mid));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(r);
    painter->restore();
}

} // namespace tabulex
