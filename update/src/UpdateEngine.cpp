#include "update/UpdateEngine.h"

// The engine's two phases live beside it: IdentifyDevice in Identification.cpp, StartUpdate in Upload.cpp.

namespace miran::update {

UpdateEngine::UpdateEngine(const FirmwareImage& image, UpdateObserver& observer)
    : image_(image), observer_(observer) {}

} // namespace miran::update
