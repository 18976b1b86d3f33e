#pragma once

#include <QIcon>

namespace loom {

// The eight 16 x 16 node pictures of the page tree, drawn once: root, group collapsed and
// expanded, page, page shown, page differing, differing page shown, page not available
// (the indices of PageStates::Picture).
const QIcon& treePicture(int index);

}  // namespace loom
