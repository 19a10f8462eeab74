#pragma once

#include <QProxyStyle>

namespace tabulex {

// The application's style, but a frame's body keeps its widget's own background: Fusion
// tints it, which sets white frames apart from the white labels on them.
class PlainFrameStyle : public QProxyStyle {
public:
    // The one instance, which the application owns.
    static PlainFrameStyle* instance();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    PlainFrameStyle();
};

} // namespace tabulex
