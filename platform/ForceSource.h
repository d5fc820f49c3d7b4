// Where an element design gets the element forces of each combination from:
// the host's analysis-results instance on a run with one thread; on a run
// with workers, the host's thread records the calls while it plans an element
// and the worker that designs it replays them. The element design is the same
// code in every case: while planning it makes its fetches and the steps that
// decide or check them, and skips everything else.
#ifndef OSTREL_PLATFORM_FORCESOURCE_H
#define OSTREL_PLATFORM_FORCESOURCE_H

#include <cstdint>

namespace ostrel {

class ForceSource {
 public:
  // Nx, Ny, Nxy, Mx, My, Mxy per unit width, as the host returned them. A
  // failed call or a status of 1 is a run-time error (see the run's sources).
  virtual void PlateForces(int16_t element, int16_t combo, float (&f)[6]) = 0;
  // P, Vy, Vz, T, My, Mz at end 1, then the same at end 2.
  virtual void StiffenerForces(int16_t element, int16_t combo, float (&f)[12]) = 0;
  // False while the host's thread plans an element for a worker: the design
  // then stops after its last fetch and skips every step between its fetches
  // that neither decides nor checks one.
  virtual bool Designs() const = 0;

 protected:
  ~ForceSource() = default;
};

}  // namespace ostrel

#endif  // OSTREL_PLATFORM_FORCESOURCE_H
