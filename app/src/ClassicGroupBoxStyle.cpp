#include "ClassicGroupBoxStyle.h"

#include <QPainter>
#include <QStyleOptionGroupBox>
#include <qdrawutil.h>

namespace miran::app {

namespace {

constexpr int kTitleIndent = 8;
constexpr int kTitleGap = 2;

} // namespace

QRect ClassicGroupBoxStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                           SubControl subControl, const QWidget* widget) const {
    const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !group)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const QRect box = option->rect;
    const int titleHeight = group->text.isEmpty() ? 0 : option->fontMetrics.height();
    switch (subControl) {
    case SC_GroupBoxLabel:
        return QRect(box.left() + kTitleIndent, box.top(),
                     option->fontMetrics.horizontalAdvance(group->text, Qt::TextShowMnemonic), titleHeight);
    case SC_GroupBoxFrame:
        return box.adjusted(0, titleHeight / 2, 0, 0);
    case SC_GroupBoxContents:
        return box.adjusted(2, titleHeight + 2, -2, -2);
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void ClassicGroupBoxStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                              QPainter* painter, const QWidget* widget) const {
    const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !group) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
    const QRect title = subControlRect(control, option, SC_GroupBoxLabel, widget);
    painter->save();
    if (!group->text.isEmpty())
        painter->setClipRegion(QRegion(option->rect).subtracted(title.adjusted(-kTitleGap, 0, kTitleGap, 0)));
    // An etched line: dark outside, light inside.
    qDrawShadeRect(painter, frame, option->palette, true, 1, 0);
    painter->restore();
    if (!group->text.isEmpty())
        drawItemText(painter, title, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, option->palette,
                     option->state & State_Enabled, group->text, QPalette::WindowText);
}

} // namespace miran::app
