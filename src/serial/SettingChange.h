// Changing one stored setting of the serial component.
#pragma once

namespace celdara {

// Stores `value` in `field`; true when that changed it, which is when an open port must
// hear of it.
template <typename T>
bool ChangeSetting(T& field, T value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace celdara
