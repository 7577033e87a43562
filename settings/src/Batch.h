#pragma once

#include "settings/AppIniFileStorage.h"

namespace miran::settings {

// Runs work inside one storage batch, closed also when the work throws.
template <class Work> void InBatch(TAppIniFileStorage& storage, Work&& work) {
    storage.BeginBatch();
    try {
        work();
    } catch (...) {
        storage.EndBatch();
        throw;
    }
    storage.EndBatch();
}

} // namespace miran::settings
