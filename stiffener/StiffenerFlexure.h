// Flexure of a stiffener section with axial load: geometry and bar layout,
// the axial bounds and the search of the longitudinal steel ratio. All of
// them work on BeamState() of the calling thread.
#ifndef OSTREL_STIFFENER_STIFFENERFLEXURE_H
#define OSTREL_STIFFENER_STIFFENERFLEXURE_H

namespace ostrel {

// Builds the outline, flanges, bars and the eight rotated frames of the
// element's section from the section state.
void BuildSectionGeometry();

// Raises the minimum steel ratio for the largest axial demands, or fails the
// element when the demand needs more than the maximum ratio.
void DesignAxialBounds();

// Searches the steel ratio that resists every ultimate combination.
void DesignFlexureSteel();

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERFLEXURE_H
