#pragma once

#include <QProxyStyle>

namespace miran::app {

// Group boxes drawn as the classic layout has them: the title sits on the frame's top line, eight pixels in,
// with a gap in the line behind it, and the frame starts half a text line down, so the box's children
// are placed from the box's own top edge.
class ClassicGroupBoxStyle : public QProxyStyle {
    Q_OBJECT
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
};

} // namespace miran::app
