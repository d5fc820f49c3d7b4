// The stiffener phase of a design run.
#ifndef OSTREL_STIFFENER_STIFFENERDESIGN_H
#define OSTREL_STIFFENER_STIFFENERDESIGN_H

namespace ostrel {

struct modGlobal;
struct modBeamDesignCSA94;

// Designs every stiffener element of the model (the run's stiffener phase).
void DesignStiffenerElements();

// The section state of element e of model g in internal units (g's unit
// factors and design constants), with the factored strengths of the concrete
// and the steel.
void PrepareSectionState(const modGlobal& g, int e, modBeamDesignCSA94& s);

// True when every bar line and stirrup line leaves room inside the section.
bool CoversFit(const modBeamDesignCSA94& s);

// The moments of ultimate combination k as the flexure check reads them: a
// moment about z below 0.0001 in magnitude becomes +0.0001, and the demand
// angle atan(|Muy| / |Muz|) of both ends.
void PrepareUltimateMoments(modBeamDesignCSA94& s, int k);

// Shear state of one direction (along y, or along z): effective depth, web
// width resisting the shear (0.8 of the diameter for a circular section), and
// the section's dimension along the shear.
void PrepareShearDirection(modBeamDesignCSA94& s, bool alongY);

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERDESIGN_H
