/* The README's example: the smallest host that describes a wall, runs the
 * design and reads one result back. */
#include <stdio.h>

#include "OstrelDesignCSA94.h"

/* Analysis results served from memory: one plate under one service and one
 * ultimate combination. */
static int g_instance;
static void* Create(void* ctx) { (void)ctx; return &g_instance; }
static void Release(void* inst) { (void)inst; }
static int32_t Available(void* inst, uint8_t* flag) { (void)inst; *flag = 1; return 0; }
static int32_t Displacement(void* inst, int16_t node, int16_t combo, float* dx, float* dy,
                            float* dz, float* rx, float* ry, float* rz) {
  (void)inst;
  *dx = 0.5f * node * combo; *dy = *dz = *rx = *ry = *rz = 0.0f;
  return 0;
}
static int32_t PlateForces(void* inst, int16_t element, int16_t combo, float* Nx, float* Ny,
                           float* Nxy, float* Mx, float* My, float* Mxy) {
  (void)inst; (void)element;
  *Nx = combo == 2 ? -300.0f : -200.0f; /* kN/m, compression */
  *Ny = -100.0f; *Nxy = 10.0f;
  *Mx = combo == 2 ? 40.0f : 25.0f;     /* kN-m/m */
  *My = 5.0f; *Mxy = 2.0f;
  return 0;
}
static int32_t StiffenerForces(void* inst, int16_t e, int16_t c, float* a, float* b, float* d,
                               float* f, float* g, float* h, float* i, float* j, float* k,
                               float* l, float* m, float* n) {
  (void)inst; (void)e; (void)c;
  *a = *b = *d = *f = *g = *h = *i = *j = *k = *l = *m = *n = 0.0f;
  return 0;
}

int main(void) {
  OstrelAnalysisResultsClass analysis = {Create, Release, Available, Displacement,
                                         PlateForces, StiffenerForces, NULL};
  OstrelDesignCSA94_RegisterAnalysisResults(&analysis);
  OstrelDesignCSA94_SetWorkerThreads(0); /* design the elements on every core */

  clsDesignCSA94* design = clsDesignCSA94_Create();
  clsDesignCSA94_SetUnits(design, OSTREL_UNITS_SI); /* mm, kN, MPa, kN-m */
  clsDesignCSA94_SetNumberOfNodes(design, 2);
  clsDesignCSA94_SetNumberOfPlateElements(design, 1);
  clsDesignCSA94_SetNumberOfStiffenerElements(design, 0);
  clsDesignCSA94_SetNumberOfLoadCombinations(design, 2);
  clsDesignCSA94_SetComboType(design, 2, OSTREL_COMBO_ULTIMATE); /* combination 1 is service */
  clsDesignCSA94_SetPlateElementProperties(design, 1, 200.0f, 30.0f, 400.0f, 200000.0f,
                                           0.25f, 4.0f, 0.25f, 4.0f, 2, 40.0f, 50.0f);

  if (clsDesignCSA94_RunDesign(design) != OSTREL_DONE) return 1;
  uint8_t done = 0;
  clsDesignCSA94_DesignDone(design, &done);
  if (!done) return 1;

  uint8_t curtains, status_x, status_y;
  float as_x, rho_x, mu_x, pu_x, as_y, rho_y, mu_y, pu_y;
  int16_t combo_x, combo_y;
  clsDesignCSA94_Get_Envelope_PlateFlexureRFT(design, 1, &curtains, &as_x, &rho_x, &mu_x, &pu_x,
                                              &combo_x, &status_x, &as_y, &rho_y, &mu_y, &pu_y,
                                              &combo_y, &status_y);
  printf("plate 1, x: As = %.1f mm2/m (%.3f %%), combination %d, %s\n", as_x, rho_x, combo_x,
         OstrelDesignCSA94_StatusName(status_x));
  printf("library %s\n", OstrelDesignCSA94_Version());
  clsDesignCSA94_Release(design);
  return 0;
}
