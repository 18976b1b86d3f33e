#pragma once

namespace loom {

// The system's dialog base units and sunken-edge size, in pixels. The caller takes them
// from the platform once; templates give rectangles in dialog units.
struct DialogUnits {
    int baseWidth = 8;
    int baseHeight = 16;
    int edgeWidth = 2;
    int edgeHeight = 2;
};

}  // namespace loom
