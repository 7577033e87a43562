// Image files as the command line reads them: image-info, then an update of a virtual programmer with the
// image when it was accepted.
#include "CliRun.h"
#include "ScratchFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const miran::fuzz::ScratchFile file("image", data, size);
    if (miran::fuzz::RunCliChecked({"image-info", "--image", file.Path(), "--json"}) == 0)
        miran::fuzz::RunCliChecked({"--simulate", "update", "--image", file.Path(), "--json"});
    return 0;
}
