#include "paint/Lamp.h"

#include <utility>

namespace miran::paint {

Lamp::Lamp(Resolver resolve) : resolve_(std::move(resolve)), mask_(LoadBitmapResource("LEDMASK")) {
    Recolor();
}

bool Lamp::SetStatus(bool on) {
    status_ = on;
    return SetColor(on ? colorOn_ : colorOff_);
}

bool Lamp::SetColorOn(TColor c) {
    colorOn_ = c;
    return status_ && SetColor(c);
}

bool Lamp::SetColorOff(TColor c) {
    colorOff_ = c;
    return !status_ && SetColor(c);
}

bool Lamp::SetColor(TColor c) {
    if (c == color_)
        return false;
    color_ = c;
    Recolor();
    return true;
}

// Only the lime body takes the colour; outline, highlight and surround keep theirs, so any
// colour keeps the same shading.
void Lamp::Recolor() {
    image_ = LoadBitmapResource("LEDGREEN");
    const TColor body = resolve_(color_);
    for (TColor& pixel : image_.pixels) {
        if (pixel == clLime)
            pixel = body;
    }
    ++recolorCount_;
}

bool Lamp::Tick(bool applicationMinimized) {
    if (applicationMinimized)
        return false;
    SetStatus(!status_);
    return true;
}

void Lamp::Draw(Canvas& canvas, int clientWidth, int clientHeight) const {
    canvas.DrawMaskedBitmap({(clientWidth - image_.width) / 2, (clientHeight - image_.height) / 2}, image_,
                            mask_);
}

} // namespace miran::paint
