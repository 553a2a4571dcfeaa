// The land part of a preview picture: a top view, north up, of the cells of
// a LandView.
//
//   sea (height below 0)  flat, in its vertex colour; when the view has no
//                         vertex colours, in the colour the default bands
//                         give that height
//   land                  hill-shaded with light from the north-west, tinted
//                         by its vertex colour where that is not white and
//                         elsewhere by a height ramp; the shore line dark
//   cells without land    background gray
//   over it all           a faint cell grid with grid coordinates along the
//                         left and bottom edges
#pragma once

#include "preview/land_view.hpp"
#include "preview/rgb_image.hpp"

namespace brackwyn {

inline constexpr Rgb kBackgroundColor = {48, 48, 48};
inline constexpr Rgb kShoreColor = {40, 34, 28};

// The colour of a sea vertex at `height` under the default colour bands.
Rgb DefaultSeaColor(int height);

// The colour of white land at `height` before shading.
Rgb LandRampColor(int height);

RgbImage DrawLandPicture(const LandView& view);

// Pixels of one cell side in the picture of `view`.
inline int CellPixels(const LandView& view) {
  return kQuadsPerCellSide / view.scale();
}

}  // namespace brackwyn
