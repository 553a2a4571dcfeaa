// Object placement: for every sub-cell of the confine box, draw once per
// kind, pick one of the kinds whose draw passed its density test, and place
// it when its base and top squares are free.
#pragma once

#include "model/run_state.hpp"
#include "objects/object_density.hpp"
#include "objects/placement_draws.hpp"
#include "objects/placement_files.hpp"

namespace brackwyn {

// Visits the sub-cells of the confine box in placement order, drawing from
// run.state.random, marking the grids and counting placed objects in
// run.state.objectCounts. Shows the row caption and the count text after
// every pixel row. Throws RunError for a divisor or confine value that is not
// a number or out of range.
void PlaceObjects(RunContext& run, const ObjectDensity& density, PlacementFiles& files);

}  // namespace brackwyn
