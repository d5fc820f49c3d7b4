// Section geometry and bar layout of the stiffener element being designed.
#ifndef OSTREL_STIFFENER_SECTIONGEOMETRY_H
#define OSTREL_STIFFENER_SECTIONGEOMETRY_H

namespace ostrel {

struct SectionGeometry {
  // Filled by BuildSectionGeometry.
};

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_SECTIONGEOMETRY_H
