/*
 * OstrelDesignCSA94: reinforcement design of reinforced-concrete walls
 * (plate elements and stiffener elements) to CSA A23.3-94.
 *
 * C interface of the shared library libOstrelDesignCSA94.so.
 *
 * Every method returns a one-byte result: 0 done, 1 refused or failed (a
 * message box has then been shown, unless the method says otherwise).
 * Outputs are written only on success. Every call acts on the design model of
 * the calling thread: all objects used on one thread share one model.
 * No C++ exception ever crosses this interface.
 */
#ifndef OSTREL_DESIGN_CSA94_H
#define OSTREL_DESIGN_CSA94_H

#include <stdint.h>

#if defined(__GNUC__)
#define OSTREL_API __attribute__((visibility("default")))
#else
#define OSTREL_API
#endif

/* ---- Version ----------------------------------------------------------- */

/* The version of this header; OstrelDesignCSA94_Version() gives the version
 * of the library actually loaded. A host built against 1.x runs with any
 * 1.y library, y >= x (the soname is libOstrelDesignCSA94.so.1). */
#define OSTREL_DESIGN_CSA94_VERSION_MAJOR 1
#define OSTREL_DESIGN_CSA94_VERSION_MINOR 0
#define OSTREL_DESIGN_CSA94_VERSION_PATCH 0
#define OSTREL_DESIGN_CSA94_VERSION "1.0.0"

/* ---- Codes a host passes or receives ------------------------------------ */

/* Method results: every clsDesignCSA94_ method returns one of these. */
typedef enum OstrelResult {
  OSTREL_DONE = 0,
  OSTREL_REFUSED = 1 /* refused or failed; the message box has been shown */
} OstrelResult;

/* bt_units of SetUnits. */
typedef enum OstrelUnitSystem {
  OSTREL_UNITS_US = 0, /* in, kip, ksi, kip-ft */
  OSTREL_UNITS_SI = 1  /* mm, kN, MPa, kN-m */
} OstrelUnitSystem;

/* bt_ComboType of SetComboType. */
typedef enum OstrelComboType {
  OSTREL_COMBO_SERVICE = 0,  /* used by the displacement envelope */
  OSTREL_COMBO_ULTIMATE = 1  /* used by the plate and stiffener design */
} OstrelComboType;

/* bt_SectionType of SetStiffenerElementProperties: the web's shape. */
typedef enum OstrelSectionType {
  OSTREL_SECTION_RECTANGULAR = 0,
  OSTREL_SECTION_CIRCULAR = 1 /* width is the diameter; needs OSTREL_BARS_CIRCLE */
} OstrelSectionType;

/* bt_SectionProjection: where the flanges sit across the web's width (z). */
typedef enum OstrelSectionProjection {
  OSTREL_PROJECTION_FLUSH_POSITIVE_Z = 0, /* flush with face +z; web stands out toward -z */
  OSTREL_PROJECTION_CENTRED = 1,          /* centred; web stands out on both sides */
  OSTREL_PROJECTION_FLUSH_NEGATIVE_Z = 2  /* flush with face -z; web stands out toward +z */
} OstrelSectionProjection;

/* bt_RFTType: the arrangement of the longitudinal bars of a stiffener. */
typedef enum OstrelBarArrangement {
  OSTREL_BARS_TWO_FACES_Y = 0, /* five bars on each of the two faces parallel to y */
  OSTREL_BARS_TWO_FACES_Z = 1, /* five bars on each of the two faces parallel to z */
  OSTREL_BARS_FOUR_FACES = 2,  /* five bars on each of the four faces */
  OSTREL_BARS_CIRCLE = 3       /* twenty bars on a circle */
} OstrelBarArrangement;

/* bt_ShearDirection of Get_Envelope_StiffernerTorsionRFT (it reports 2). */
typedef enum OstrelShearDirection {
  OSTREL_SHEAR_Y = 1,
  OSTREL_SHEAR_Z = 2
} OstrelShearDirection;

/* Design status of a plate direction (bt_DsignStatus_x/_y) or of a
 * stiffener's flexure, shear and torsion (bt_DesignStatus, bt_DsignStatus,
 * bt_DesignStatus_flex, bt_DesignStatus_Shear): the values of
 * enum_DESIGN_STATUS. Codes 1, 2 and 4 concern plates only, 7 and 8 the
 * stiffener shear only. A failure is a result, not an error. */
typedef enum OstrelDesignStatus {
  OSTREL_STATUS_DESIGN_PASS = 0,
  OSTREL_STATUS_Pass_UseTies = 1,
  OSTREL_STATUS_Fail_MustUseTwoCurtains = 2,
  OSTREL_STATUS_Fail_RequiredRFTExceedMaximum = 3,
  OSTREL_STATUS_Fail_RFTOutOfSection = 4,
  OSTREL_STATUS_Fail_CoverTooLarge = 5,
  OSTREL_STATUS_Fail_MinRFTExceedMaximum = 6,
  OSTREL_STATUS_Fail_ShearStreessExceedMaximum_y = 7,
  OSTREL_STATUS_Fail_ShearStreessExceedMaximum_z = 8
} OstrelDesignStatus;

/* Buttons of the progress window, for OstrelDesignCSA94_ClickButton. */
typedef enum OstrelButton {
  OSTREL_BUTTON_COMMAND1 = 1, /* "&Suspend", "&Continue" or "&Close" */
  OSTREL_BUTTON_COMMAND2 = 2  /* "&Cancel" */
} OstrelButton;

/* Status of an analysis-results operation (the low byte of its return). */
typedef enum OstrelAnalysisStatus {
  OSTREL_ANALYSIS_OK = 0,
  OSTREL_ANALYSIS_FAILED = 1
} OstrelAnalysisStatus;

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library information ---------------------------------------------- */

/* The loaded library's version, "MAJOR.MINOR.PATCH". */
OSTREL_API const char* OstrelDesignCSA94_Version(void);
/* The name of a design status ("DESIGN_PASS", "Pass_UseTies", ...), or NULL
 * when the code is not one. */
OSTREL_API const char* OstrelDesignCSA94_StatusName(int32_t status);

/* ---- Objects ---------------------------------------------------------- */

typedef struct clsDesignCSA94 clsDesignCSA94;

OSTREL_API clsDesignCSA94* clsDesignCSA94_Create(void);
OSTREL_API void clsDesignCSA94_Release(clsDesignCSA94* obj);

/* ---- Run control ------------------------------------------------------ */

OSTREL_API uint8_t clsDesignCSA94_RunDesign(clsDesignCSA94* obj);
OSTREL_API uint8_t clsDesignCSA94_ResetDesign(clsDesignCSA94* obj);
OSTREL_API uint8_t clsDesignCSA94_DesignDone(clsDesignCSA94* obj,
                                             uint8_t* bt_DesignDoneFlag);

/* ---- Model input ------------------------------------------------------ */

OSTREL_API uint8_t clsDesignCSA94_SetUnits(clsDesignCSA94* obj, uint8_t bt_units);
OSTREL_API uint8_t clsDesignCSA94_SetNumberOfNodes(clsDesignCSA94* obj,
                                                   int32_t l_NumNodes);
OSTREL_API uint8_t clsDesignCSA94_SetNumberOfPlateElements(clsDesignCSA94* obj,
                                                           int32_t l_NumElements);
OSTREL_API uint8_t clsDesignCSA94_SetPlateElementProperties(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float f_Thickness, float f_fc,
    float f_fy, float f_Es, float f_MinRatioOfRFT, float f_MaxRatioOfRFT,
    float f_MinRatioOfRFT_v, float f_MaxRatioOfRFT_v, uint8_t bt_NumCurtains,
    float f_CoverToRFT_X, float f_CoverToRFT_Y);
OSTREL_API uint8_t clsDesignCSA94_SetNumberOfStiffenerElements(clsDesignCSA94* obj,
                                                               int32_t l_NumElements);
OSTREL_API uint8_t clsDesignCSA94_SetStiffenerElementProperties(
    clsDesignCSA94* obj, int32_t l_ElementNumber, uint8_t bt_SectionType,
    uint8_t bt_SectionProjection, float f_SectionWidth, float f_sectionHeight,
    float f_LeftFlangeWidth, float f_LeftFlangeThickness, float f_RightFlangeWidth,
    float f_RightFlangeThickness, float f_fc, float f_density, float f_fy,
    float f_Es, float f_MinRatioOfRFT, float f_MaxRatioOfRFT, uint8_t bt_RFTType,
    float f_Cover_Z, float f_Cover_Y, float f_Cover_Z_st, float f_Cover_Y_st,
    uint8_t bt_DesignAsColumn);
OSTREL_API uint8_t clsDesignCSA94_SetNumberOfLoadCombinations(clsDesignCSA94* obj,
                                                              int32_t l_NumLoadCombos);
OSTREL_API uint8_t clsDesignCSA94_SetComboType(clsDesignCSA94* obj, int16_t i_LoadCombo,
                                               uint8_t bt_ComboType);

/* ---- Result queries --------------------------------------------------- */

OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_Displacement(
    clsDesignCSA94* obj, int32_t l_NodeNumber, float* f_Dx_Negative,
    int16_t* i_Dx_Neg_combo, float* f_Dx_Positive, int16_t* i_Dx_Pos_combo,
    float* f_Dy_Negative, int16_t* i_Dy_Neg_combo, float* f_Dy_Positive,
    int16_t* i_Dy_Pos_combo, float* f_Dz_Negative, int16_t* i_Dz_Neg_combo,
    float* f_Dz_Positive, int16_t* i_Dz_Pos_combo);
OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_PlateFlexureRFT(
    clsDesignCSA94* obj, int32_t l_ElementNumber, uint8_t* bt_NumCurtains,
    float* f_AreaOfSteel_x, float* f_RatioOfSteel_x, float* f_Mu_x, float* f_Pu_x,
    int16_t* i_DesignComboIndex_x, uint8_t* bt_DsignStatus_x, float* f_AreaOfSteel_y,
    float* f_RatioOfSteel_y, float* f_Mu_y, float* f_Pu_y,
    int16_t* i_DesignComboIndex_y, uint8_t* bt_DsignStatus_y);
OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_StiffernerFlexureRFT(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float* f_As, float* f_RatioOfSteel,
    int16_t* i_DesignComboIndex, float* f_Muy, float* f_Muz, float* f_Pu,
    uint8_t* bt_DesignStatus);
OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_StiffernerShearRFT(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float* f_AvOverS_y,
    int16_t* i_DesignComboIndex_y, float* f_Pu_y, float* f_Vu_y, float* f_Tu_y,
    float* f_Spacing_y, float* f_AvOverS_z, int16_t* i_DesignComboIndex_z,
    float* f_Pu_z, float* f_Vu_z, float* f_Tu_z, float* f_Spacing_z,
    uint8_t* bt_DsignStatus);
OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float* f_AtOverS, float* f_Al,
    int16_t* i_DesignComboIndex, float* f_Pu, float* f_Vu, float* f_Tu,
    float* f_Spacing, uint8_t* bt_ShearDirection, uint8_t* bt_DsignStatus);
OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_StiffernerRFTSummary(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float* f_As, float* f_Al,
    float* f_AvOverS_y, float* f_AvOverS_z, float* f_AtOverS, float* f_ShearSpacing,
    uint8_t* bt_DesignStatus_flex, uint8_t* bt_DesignStatus_Shear);

/* ---- Design results file ---------------------------------------------- */

OSTREL_API uint8_t clsDesignCSA94_ReadResults(clsDesignCSA94* obj, const char* sFilepath,
                                              int32_t lOffset);
OSTREL_API uint8_t clsDesignCSA94_SaveResults(clsDesignCSA94* obj, const char* sFilepath,
                                              int32_t* lOffset);

/* ---- Platform hooks (process-wide) ------------------------------------- */

/* Message boxes: one call per box, on the thread that shows it; returning is
 * the person pressing OK. NULL restores the default (one line on stderr). */
typedef void (*OstrelMessageBoxHandler)(void* context, const char* text,
                                        const char* title);
OSTREL_API void OstrelDesignCSA94_SetMessageBoxHandler(OstrelMessageBoxHandler handler,
                                                       void* context);

/* Analysis results: the host's source of displacements and forces. A negative
 * return is a failed call; otherwise the low byte is the status, 1 = failure. */
typedef struct OstrelAnalysisResultsClass {
  void* (*Create)(void* classContext); /* NULL: cannot be created */
  void (*Release)(void* instance);
  int32_t (*ResultsAvailable)(void* instance, uint8_t* bt_Available);
  int32_t (*GetNodeDisplacement)(void* instance, int16_t node, int16_t combo, float* dx,
                                 float* dy, float* dz, float* rx, float* ry, float* rz);
  int32_t (*GetPlateElementForces)(void* instance, int16_t element, int16_t combo,
                                   float* Nx, float* Ny, float* Nxy, float* Mx, float* My,
                                   float* Mxy);
  int32_t (*GetStiffenerElementForces)(void* instance, int16_t element, int16_t combo,
                                       float* P_1, float* Vy_1, float* Vz_1, float* T_1,
                                       float* My_1, float* Mz_1, float* P_2, float* Vy_2,
                                       float* Vz_2, float* T_2, float* My_2, float* Mz_2);
  void* classContext;
} OstrelAnalysisResultsClass;
OSTREL_API void OstrelDesignCSA94_RegisterAnalysisResults(
    const OstrelAnalysisResultsClass* cls); /* copied; NULL: none */

/* The progress window: what it shows, passed to the host at every pump. */
typedef struct OstrelProgressView {
  const char* Caption; /* "Ostrel (Design - CSA A23.3-94)" */
  const char* Label1;  /* "Status:" */
  const char* lblStatus;
  const char* lblCounter;
  const char* Command1Caption;
  uint8_t Command1Enabled;
  const char* Command2Caption;
  uint8_t Command2Enabled;
} OstrelProgressView;
typedef void (*OstrelWindowPump)(void* context, const OstrelProgressView* view);
OSTREL_API void OstrelDesignCSA94_SetWindowHost(OstrelWindowPump pump, void* context);
OSTREL_API void OstrelDesignCSA94_ClickButton(int32_t button); /* 1 Command1, 2 Command2 */

/* Worker threads for the element designs of a run (process-wide; takes effect
 * at the next run). 1 designs on the calling thread alone (the default); 0
 * uses one worker per hardware thread; n > 1 uses n workers (at most 64; a
 * negative n counts as 1). Whatever n is, a host sees the same run: the same
 * results, every analysis-results call made on the calling thread in the
 * order of the one-thread run, the counter and the pump once per element in
 * element order, Suspend holding back new elements, Cancel stopping at the
 * next pump point with the elements before it stored, and a failed call or
 * an arithmetic fault stopping the run with exactly the results the
 * one-thread run stores. (After an arithmetic fault, the calls for the
 * elements already handed out behind the failing one, at most 8 per worker,
 * have been made.) */
OSTREL_API void OstrelDesignCSA94_SetWorkerThreads(int32_t n);
/* The number of workers the next run will use (the setting, 0 resolved). */
OSTREL_API int32_t OstrelDesignCSA94_GetWorkerThreads(void);


/* ---- Capacity of a section (pure functions) ----------------------------
 *
 * The resistance the design compares the loads with, for one element's
 * section and a chosen steel ratio: axial force-moment curves, the Muy-Muz
 * contour, the demand/capacity ratio of one load, and the shear stress
 * limits. They are computed by the very routines the design uses, so a
 * diagram and the design never disagree.
 *
 * These functions use no design model: they may be called on any thread at
 * any time, also during a run, and change nothing. bt_units is the code of
 * SetUnits (0 US customary, 1 SI); the section is described by the arguments
 * of SetStiffenerElementProperties / SetPlateElementProperties, in the
 * host's units; f_RatioOfSteel is a steel ratio in percent (above 0, at most 100): of
 * the web area for a stiffener, of the thickness for a plate direction.
 * Forces and moments are in the host's units (SI: kN and kN-m, plate values
 * per unit width kN/m and kN-m/m; US: kip and kip-ft, kip/ft and
 * kip-ft/ft), axial force positive in tension; stresses in MPa (ksi).
 *
 * Result 0 done. Result 1 refused or failed: one message box with one line
 * naming the function and what is wrong (for example "the covers leave no
 * room for the bars"), and nothing written. Buffers are the caller's, with
 * the counts said per function. No output is ever a NaN or an infinity. */

typedef struct OstrelStiffenerProperties {
  uint8_t bt_SectionType, bt_SectionProjection;
  float f_SectionWidth, f_sectionHeight;
  float f_LeftFlangeWidth, f_LeftFlangeThickness;
  float f_RightFlangeWidth, f_RightFlangeThickness;
  float f_fc, f_density, f_fy, f_Es;
  float f_MinRatioOfRFT, f_MaxRatioOfRFT; /* not used by the capacity */
  uint8_t bt_RFTType;
  float f_Cover_Z, f_Cover_Y, f_Cover_Z_st, f_Cover_Y_st;
  uint8_t bt_DesignAsColumn; /* no effect */
} OstrelStiffenerProperties;

typedef struct OstrelPlateProperties {
  float f_Thickness, f_fc, f_fy, f_Es;
  float f_MinRatioOfRFT, f_MaxRatioOfRFT, f_MinRatioOfRFT_v, f_MaxRatioOfRFT_v; /* unused */
  uint8_t bt_NumCurtains;
  float f_CoverToRFT_X, f_CoverToRFT_Y;
} OstrelPlateProperties;

/* One capacity point of a stiffener: axial force P; the capacity moments Muy
 * and Muz as the design's capacity points give them (signed); and M, the
 * moment about the neutral axis of the direction, positive when it
 * compresses the face the direction turns toward. */
typedef struct OstrelCurvePoint {
  double d_P, d_M, d_Muy, d_Muz;
} OstrelCurvePoint;

/* The eight fixed directions of the design: the neutral axis turned by 0,
 * 15, 30, 45, 60, 75, 90 and 270 degrees from the z axis (direction 1 has
 * the +y face in compression, 7 the -z face, 8 the +z face). */
#define OSTREL_STIFFENER_DIRECTIONS 8
/* Control points of a curve, in this order: pure tension (P = phi_s fy As),
 * pure bending (P = 0), balanced (the extreme bar yields as the concrete
 * reaches its crushing strain), and the compressive cap (P = -0.8 Po). */
#define OSTREL_CONTROL_POINTS 4

/* Axial force-moment curve of fixed direction l_Direction (1..8):
 * l_NumPoints (2..10000) points equally spaced in P from pure tension to the
 * cap into points[0..l_NumPoints-1], and the four control points into
 * control (may be NULL). l_Direction 0 gives all eight directions, direction
 * d in points[(d-1)*l_NumPoints ...] and control[(d-1)*4 ...]. */
OSTREL_API uint8_t OstrelDesignCSA94_StiffenerCurve(
    uint8_t bt_units, const OstrelStiffenerProperties* section, float f_RatioOfSteel,
    int32_t l_Direction, int32_t l_NumPoints, OstrelCurvePoint* points,
    OstrelCurvePoint* control);

/* Axial force-moment curve in the moment direction d_AngleDeg (degrees from
 * the +Muz axis toward +Muy; the biaxial check compares magnitudes, so the
 * quadrant does not matter; a flanged section takes 90 or 270 only):
 * l_NumPoints (2..10000) points equally spaced in P from pure tension to the
 * cap, each the capacity along that direction as the design's check measures
 * it (d_M its size, with its components d_Muy and d_Muz). A point whose
 * direction the check gives no ratio has d_M = 0. */
OSTREL_API uint8_t OstrelDesignCSA94_StiffenerMomentCurve(
    uint8_t bt_units, const OstrelStiffenerProperties* section, float f_RatioOfSteel,
    double d_AngleDeg, int32_t l_NumPoints, OstrelCurvePoint* points);

/* Muy-Muz contour at the axial force f_P, by the design's capacity along a
 * demand direction: for l_NumDirections (2..3600) demand directions equally
 * spaced from pure Muz (0 degrees) to pure Muy (90 degrees), the capacity
 * moments (magnitudes; the check compares magnitudes) into d_Muy and d_Muz,
 * each with room for l_NumDirections values. *l_NumPoints receives how many
 * were written: a direction for which the design's check gives no ratio (no
 * segment of its contour holds the angle) is left out. No point at all when
 * f_P lies beyond the squash load or the tensile resistance, where the
 * section carries no moment. Refused for a flanged section, whose check takes
 * Muy alone. */
OSTREL_API uint8_t OstrelDesignCSA94_StiffenerContour(
    uint8_t bt_units, const OstrelStiffenerProperties* section, float f_RatioOfSteel,
    float f_P, int32_t l_NumDirections, double* d_Muy, double* d_Muz, int32_t* l_NumPoints);

/* Demand/capacity ratio of one load (axial force f_P, moments f_Muy, f_Muz at
 * one end): exactly the quantity the design's combination check compares
 * with 1.0 (the capacity for the axial force at end 1 serves both ends, so
 * pass end 1's axial force for either end), with the flange eccentricities
 * and the uniaxial check of a flanged section. *bt_HasRatio (may be NULL)
 * receives 0, with *d_Ratio 0, when the check gives the load no ratio. */
OSTREL_API uint8_t OstrelDesignCSA94_StiffenerDemandCapacity(
    uint8_t bt_units, const OstrelStiffenerProperties* section, float f_RatioOfSteel,
    float f_P, float f_Muy, float f_Muz, double* d_Ratio, uint8_t* bt_HasRatio);

/* The shear stress check of one direction for one load (shear and torsion
 * at end 1, as the check reads them): the governing one of the two limits,
 * the shear stress against lambda phi_c sqrt(f'c) (bt_Governing 1) or shear
 * plus torsion stress against 0.25 phi_c f'c (bt_Governing 2), with its
 * stress and limit and the ratio the design compares with 1.00001.
 * bt_Checked is 0 where the design makes no such check (along y in a flanged
 * section); the values are given all the same. */
typedef struct OstrelShearCheck {
  uint8_t bt_Checked;
  uint8_t bt_Governing;
  double d_Stress, d_Limit, d_Ratio;
} OstrelShearCheck;
OSTREL_API uint8_t OstrelDesignCSA94_StiffenerShearStress(
    uint8_t bt_units, const OstrelStiffenerProperties* section, float f_Vy, float f_Vz,
    float f_T, OstrelShearCheck* along_y, OstrelShearCheck* along_z);

/* Plate directions. */
#define OSTREL_PLATE_X 1
#define OSTREL_PLATE_Y 2

/* Axial force-moment curve per unit width of the strip in direction
 * bt_Direction, in design values (N, M as the Wood-Armer step gives them,
 * M positive when it compresses face B): l_NumPoints (2..10000) points with
 * M >= 0 from pure tension to the cap 0.8 P0, then l_NumPoints points with
 * M <= 0 from the cap back to pure tension; d_N and d_M each hold
 * 2 * l_NumPoints values. */
OSTREL_API uint8_t OstrelDesignCSA94_PlateStripCurve(
    uint8_t bt_units, const OstrelPlateProperties* plate, float f_RatioOfSteel,
    uint8_t bt_Direction, int32_t l_NumPoints, double* d_N, double* d_M);

/* Demand/capacity ratio of one combination in direction bt_Direction from
 * its six resultants f_Forces = {Nx, Ny, Nxy, Mx, My, Mxy} (as
 * GetPlateElementForces reports them): the largest over the four pairs of
 * Wood-Armer values, exactly the strip check's quantity, with the governing
 * pair in *d_N and *d_M (either may be NULL). */
OSTREL_API uint8_t OstrelDesignCSA94_PlateStripDemandCapacity(
    uint8_t bt_units, const OstrelPlateProperties* plate, float f_RatioOfSteel,
    uint8_t bt_Direction, const float f_Forces[6], double* d_Ratio, double* d_N,
    double* d_M);

#ifdef __cplusplus
}
#endif

#endif /* OSTREL_DESIGN_CSA94_H */
