#include "widgets/Bitmap.h"

#include "resources/Resources.h"

namespace miran::widgets {

QImage LoadBitmapResource(const char* name) {
    const auto bytes = resources::Find("BITMAP", name);
    QImage image;
    image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
    return image;
}

} // namespace miran::widgets
