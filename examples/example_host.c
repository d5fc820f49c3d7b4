/*
 * A small host of OstrelDesignCSA94: sends a wall model through the C
 * interface and reports what the component accepted and what it refused.
 */
#include <stdio.h>

#include "OstrelDesignCSA94.h"

static int g_boxes = 0;

static void OnMessageBox(void* context, const char* text, const char* title) {
  (void)context;
  ++g_boxes;
  printf("  [%s] %s\n", title, text);
}

static void Report(const char* call, uint8_t result) {
  printf("%-48s %s\n", call, result == 0 ? "accepted" : "refused");
}

int main(void) {
  clsDesignCSA94* design = clsDesignCSA94_Create();
  if (design == NULL) {
    fprintf(stderr, "example_host: cannot create the design object\n");
    return 1;
  }
  OstrelDesignCSA94_SetMessageBoxHandler(OnMessageBox, NULL);

  Report("SetUnits(1) (SI)", clsDesignCSA94_SetUnits(design, 1));
  Report("SetNumberOfNodes(4)", clsDesignCSA94_SetNumberOfNodes(design, 4));
  Report("SetNumberOfPlateElements(2)", clsDesignCSA94_SetNumberOfPlateElements(design, 2));
  Report("SetNumberOfStiffenerElements(1)", clsDesignCSA94_SetNumberOfStiffenerElements(design, 1));
  Report("SetNumberOfLoadCombinations(2)", clsDesignCSA94_SetNumberOfLoadCombinations(design, 2));
  Report("SetComboType(2, ultimate)", clsDesignCSA94_SetComboType(design, 2, 1));

  Report("SetPlateElementProperties(1): 200 mm, 2 curtains",
         clsDesignCSA94_SetPlateElementProperties(design, 1, 200.0f, 30.0f, 400.0f, 200000.0f,
                                                  0.25f, 4.0f, 0.25f, 4.0f, 2, 40.0f, 50.0f));
  Report("SetPlateElementProperties(2): 3 curtains",
         clsDesignCSA94_SetPlateElementProperties(design, 2, 200.0f, 30.0f, 400.0f, 200000.0f,
                                                  0.25f, 4.0f, 0.25f, 4.0f, 3, 40.0f, 50.0f));
  Report("SetStiffenerElementProperties(1): 400 x 600",
         clsDesignCSA94_SetStiffenerElementProperties(
             design, 1, 0, 0, 400.0f, 600.0f, 0.0f, 0.0f, 0.0f, 0.0f, 30.0f, 2400.0f, 400.0f,
             200000.0f, 1.0f, 4.0f, 0, 50.0f, 50.0f, 40.0f, 40.0f, 0));
  Report("SetStiffenerElementProperties(1): cover 350",
         clsDesignCSA94_SetStiffenerElementProperties(
             design, 1, 0, 0, 400.0f, 600.0f, 0.0f, 0.0f, 0.0f, 0.0f, 30.0f, 2400.0f, 400.0f,
             200000.0f, 1.0f, 4.0f, 0, 50.0f, 350.0f, 40.0f, 40.0f, 0));

  uint8_t done = 9;
  Report("DesignDone", clsDesignCSA94_DesignDone(design, &done));
  printf("design held: %s\nmessage boxes shown: %d\n", done ? "yes" : "no", g_boxes);

  clsDesignCSA94_Release(design);
  return 0;
}
