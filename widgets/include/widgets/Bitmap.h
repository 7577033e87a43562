#pragma once

#include <QImage>

namespace miran::widgets {

// The embedded bitmap resource of that name, or a null image when it is missing.
QImage LoadBitmapResource(const char* name);

} // namespace miran::widgets
