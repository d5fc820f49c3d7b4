// The files every report inlines, built into the program so that a report
// can be written anywhere: the Vega libraries with their licences, and the
// report's own script and style sheet. Each file is assembled into read-only
// data with a terminating zero.
#include "ReportAssets.h"

#define OSTREL_ASSET(symbol, file)                                                  \
  asm(".section .rodata\n.balign 16\n.globl " #symbol "_begin\n" #symbol "_begin:\n" \
      ".incbin \"" file "\"\n.globl " #symbol "_end\n" #symbol "_end:\n.byte 0\n.previous\n");

OSTREL_ASSET(ostrel_vega, OSTREL_VEGA_BUILDS "/vega.min.js")
OSTREL_ASSET(ostrel_vega_lite, OSTREL_VEGA_BUILDS "/vega-lite.min.js")
OSTREL_ASSET(ostrel_vega_embed, OSTREL_VEGA_BUILDS "/vega-embed.min.js")
OSTREL_ASSET(ostrel_licence_vega, OSTREL_VEGA_DIR "/LICENSE-vega")
OSTREL_ASSET(ostrel_licence_vega_lite, OSTREL_VEGA_DIR "/LICENSE-vega-lite")
OSTREL_ASSET(ostrel_licence_vega_embed, OSTREL_VEGA_DIR "/LICENSE-vega-embed")
OSTREL_ASSET(ostrel_report_js, OSTREL_REPORT_DIR "/report.js")
OSTREL_ASSET(ostrel_report_css, OSTREL_REPORT_DIR "/report.css")

#define OSTREL_ASSET_VIEW(symbol)                                         \
  extern "C" const char symbol##_begin[];                                 \
  extern "C" const char symbol##_end[];                                   \
  namespace ostrel::cli {                                                 \
  std::string_view symbol() {                                             \
    return std::string_view(symbol##_begin,                               \
                            static_cast<size_t>(symbol##_end - symbol##_begin)); \
  }                                                                       \
  }

OSTREL_ASSET_VIEW(ostrel_vega)
OSTREL_ASSET_VIEW(ostrel_vega_lite)
OSTREL_ASSET_VIEW(ostrel_vega_embed)
OSTREL_ASSET_VIEW(ostrel_licence_vega)
OSTREL_ASSET_VIEW(ostrel_licence_vega_lite)
OSTREL_ASSET_VIEW(ostrel_licence_vega_embed)
OSTREL_ASSET_VIEW(ostrel_report_js)
OSTREL_ASSET_VIEW(ostrel_report_css)
