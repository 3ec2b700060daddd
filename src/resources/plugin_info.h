/* Identity of the plug-in: one definition read by the effect code and by the Windows resource
   script (windres runs the C preprocessor), so the two cannot disagree. Plain C preprocessor only. */
#ifndef ORV_RESOURCES_PLUGIN_INFO_H
#define ORV_RESOURCES_PLUGIN_INFO_H

#define ORV_EFFECT_NAME "Orvane FX Brightness-Contrast"
#define ORV_EFFECT_CATEGORY "Orvane FX Color"

#define ORV_VERSION_MAJOR 3
#define ORV_VERSION_MINOR 0
#define ORV_VERSION_BUGFIX 0
#define ORV_VERSION_STAGE 3 /* release */
#define ORV_VERSION_BUILD 0
#define ORV_VERSION_DOTTED "3.0.0.0"

/* The host's packed version word of the numbers above (checked against them at compile time). */
#define ORV_VERSION_WORD 0x00180600

/* The effect's own out flags (non-parameter vary) and what global set-up reports with the
   keep-resource-open bit added. The property list carries the latter. */
#define ORV_EFFECT_OUTFLAGS 4
#define ORV_GLOBAL_OUTFLAGS 5

/* Second out-flags word: threaded rendering (1 << 27), so that current hosts render several frames at
   once. The 64-bit and native modules declare it (global set-up and property list item eGL2); the
   32-bit module, made for single-threaded hosts, declares nothing and has no eGL2. */
#define ORV_THREADED_OUTFLAGS2 0x08000000
#if defined(_WIN32) && !defined(_WIN64) && !defined(ORV_WIN64)
#define ORV_GLOBAL_OUTFLAGS2 0
#else
#define ORV_GLOBAL_OUTFLAGS2 ORV_THREADED_OUTFLAGS2
#endif

/* String list of the error messages: message n is resource ORV_MESSAGE_LIST * 100 + n. */
#define ORV_MESSAGE_LIST 420
#define ORV_MESSAGE_MEMORY 3

#endif
