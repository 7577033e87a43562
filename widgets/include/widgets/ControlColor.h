#pragma once

#include "widgets/Color.h"

#include <QWidget>
#include <optional>

namespace miran::widgets {

// A control's background colour: its own, or, while ParentColor is set, the colour its
// parent shows (which Qt hands down through the palette).
class ControlColor {
public:
    TColor Get(const QWidget& control) const {
        if (own_)
            return *own_;
        const QColor c = control.palette().color(control.backgroundRole());
        return TColor(c.red(), c.green(), c.blue());
    }
    bool ParentColor() const { return !own_.has_value(); }

    // Each returns whether the colour setting really changed.
    bool Set(TColor c) {
        if (own_ == c)
            return false;
        own_ = c;
        return true;
    }
    bool SetParentColor(bool follow, const QWidget& control) {
        if (follow == ParentColor())
            return false;
        own_ = follow ? std::nullopt : std::optional<TColor>(Get(control));
        return true;
    }

private:
    std::optional<TColor> own_;
};

} // namespace miran::widgets
