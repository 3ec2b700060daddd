// The After Effects effect plug-in interface: the records, callbacks, commands and constants this
// module exchanges with its host, declared to be binary-compatible with the host's own layout.
//
// Three layouts:
//  - 32-bit Windows (i686): the classic records of 32-bit After Effects hosts: 2-byte packing,
//    short rectangles, `qd_globals` in PF_InData, `get_platform_refs` and `get_cgraf_data` in the
//    utility callbacks.
//  - 64-bit Windows (x86-64): the modern records of After Effects CS5 and later (8-byte packing).
//  - Native (Linux): the modern field order with fixed 32-bit integers wherever the host has `long`.
// Every field keeps its real place even where the module never touches it.
#ifndef ORV_HOST_AE_INTERFACE_H
#define ORV_HOST_AE_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define ORV_LEGACY_LAYOUT 1
#else
#define ORV_LEGACY_LAYOUT 0
#endif

#if ORV_LEGACY_LAYOUT
#pragma pack(push, 2)
#else
#pragma pack(push, 8)
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef char A_char;
typedef char PF_Boolean;
typedef int32_t PF_Fixed;
typedef int32_t PF_Err;
typedef int32_t PF_Cmd;
typedef int32_t PF_Quality;
typedef int32_t PF_ParamType;
typedef int32_t PF_ParamFlags;
typedef int32_t PF_OutFlags;
typedef int32_t PF_OutFlags2;
typedef int32_t PF_ParamIndex;
typedef void **PF_Handle;
typedef struct PF_ProgressInfo *PF_ProgPtr;

typedef struct {
    A_short major;
    A_short minor;
} PF_SpecVersion;

typedef struct {
    A_long num;
    A_u_long den;
} PF_RationalScale;

// One 8-bit pixel, memory order alpha, red, green, blue.
typedef struct {
    uint8_t alpha;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
} PF_Pixel;

#if ORV_LEGACY_LAYOUT
typedef struct {
    A_short top, left, bottom, right;
} PF_Rect;
typedef struct {
    A_short v, h;
} PF_Point;
#else
typedef struct {
    A_long left, top, right, bottom;
} PF_Rect;
typedef struct {
    A_long h, v;
} PF_Point;
#endif

typedef struct {
    double rate;
    A_short num_channels;
    A_short format;
    A_short sample_size;
} PF_SoundFormatInfo;

typedef struct {
    PF_SoundFormatInfo fi;
    A_long num_samples;
    void *dataP;
} PF_SoundWorld;

// PF_LayerDef (PF_EffectWorld): a host image.
typedef struct PF_LayerDef {
#if ORV_LEGACY_LAYOUT
    A_long reserved0;
    A_long reserved1;
#else
    void *reserved0;
    void *reserved1;
#endif
    A_long world_flags;
    PF_Pixel *data;
    A_long rowbytes;
    A_long width;
    A_long height;
    PF_Rect extent_hint;
    void *platform_ref;
#if ORV_LEGACY_LAYOUT
    A_long reserved[8];
#else
    intptr_t reserved_long1;
    intptr_t reserved_long4;
    PF_RationalScale pix_aspect_ratio;
    intptr_t reserved_long2;
    A_long origin_x;
    A_long origin_y;
    A_long reserved_long3;
#endif
    A_long dephault;
} PF_LayerDef;
typedef PF_LayerDef PF_EffectWorld;

typedef struct {
    A_long value;
    A_char value_str[32];
    A_char value_desc[32];
    A_long valid_min, valid_max, slider_min, slider_max, dephault;
} PF_SliderDef;

typedef struct {
    PF_Fixed value;
    A_char value_str[32];
    A_char value_desc[32];
    PF_Fixed valid_min, valid_max, slider_min, slider_max, dephault;
    A_short precision;
    A_short display_flags;
} PF_FixedSliderDef;

typedef struct {
    PF_Fixed value;
    PF_Fixed dephault;
#if !ORV_LEGACY_LAYOUT
    PF_Fixed valid_min;
    PF_Fixed valid_max;
#endif
} PF_AngleDef;

typedef struct {
    A_long value;
    PF_Boolean dephault;
    A_char reserved;
    A_short reserved1;
    union {
        const A_char *nameptr;
    } u;
} PF_CheckBoxDef;

typedef struct {
    PF_Pixel value;
    PF_Pixel dephault;
} PF_ColorDef;

typedef struct {
    PF_Fixed x_value;
    PF_Fixed y_value;
    A_char reserved[3];
    PF_Boolean restrict_bounds;
    PF_Fixed x_dephault;
    PF_Fixed y_dephault;
} PF_PointDef;

typedef struct {
    A_long value;
    A_short num_choices;
    A_short dephault;
    union {
        const A_char *namesptr;
    } u;
} PF_PopupDef;

typedef union {
    PF_LayerDef ld;
    PF_SliderDef sd;
    PF_FixedSliderDef fd;
    PF_AngleDef ad;
    PF_CheckBoxDef bd;
    PF_ColorDef cd;
    PF_PointDef td;
    PF_PopupDef pd;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
    union {
        A_long id;
        A_long change_flags;
    } uu;
    A_long ui_flags;
    A_short ui_width;
    A_short ui_height;
    PF_ParamType param_type;
    A_char name[32];
    PF_ParamFlags flags;
    A_long unused;
    PF_ParamDefUnion u;
} PF_ParamDef;

typedef PF_ParamDef **PF_ParamList;

// Callbacks carry no calling-convention keyword in the host's interface: cdecl on i686, the one
// Win64 convention on x86-64, the System V one natively.
typedef void (*PF_UnusedProc)(void);
typedef PF_Err (*PF_AddParamProc)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef *def);
typedef PF_Err (*PF_CopyProc)(PF_ProgPtr effect_ref, PF_EffectWorld *src, PF_EffectWorld *dst, PF_Rect *src_r,
                              PF_Rect *dst_r);
typedef PF_Err (*PF_FillProc)(PF_ProgPtr effect_ref, const PF_Pixel *color, const PF_Rect *dst_rect,
                              PF_EffectWorld *world);
typedef int (*PF_SprintfProc)(A_char *dst, const A_char *fmt, ...);
typedef A_char *(*PF_StrcpyProc)(A_char *dst, const A_char *src);

// Embedded at offset 0 of PF_InData: 22 pointer-sized slots, add_param third.
typedef struct {
    PF_UnusedProc checkout_param;
    PF_UnusedProc checkin_param;
    PF_AddParamProc add_param;
    PF_UnusedProc abort;
    PF_UnusedProc progress;
    PF_UnusedProc register_ui;
    PF_UnusedProc checkout_layer_audio;
    PF_UnusedProc checkin_layer_audio;
    PF_UnusedProc get_audio_data;
    void *reserved_str[3];
    void *reserved[10];
} PF_InteractCallbacks;

typedef struct {
    PF_UnusedProc atan, atan2, ceil, cos, exp, fabs, floor, fmod, hypot, log, log10, pow, sin, sqrt, tan;
    PF_SprintfProc sprintf;
    PF_StrcpyProc strcpy;
    PF_UnusedProc asin, acos;
    intptr_t ansi_procs[1];
} PF_ANSICallbacks;

// Held by value in the utility callbacks: eight pointers before `get_platform_data`.
typedef struct {
    PF_UnusedProc RGBtoHLS, HLStoRGB, RGBtoYIQ, YIQtoRGB, Luminance, Hue, Lightness, Saturation;
} PF_ColorCallbacks;

typedef struct _PF_UtilCallbacks {
    PF_UnusedProc begin_sampling;
    PF_UnusedProc subpixel_sample;
    PF_UnusedProc area_sample;
    PF_UnusedProc get_batch_func;
    PF_UnusedProc end_sampling;
    PF_UnusedProc composite_rect;
    PF_UnusedProc blend;
    PF_UnusedProc convolve;
    PF_CopyProc copy;
    PF_FillProc fill;
    PF_UnusedProc gaussian_kernel;
    PF_UnusedProc iterate;
    PF_UnusedProc premultiply;
    PF_UnusedProc premultiply_color;
    PF_UnusedProc new_world;
#if ORV_LEGACY_LAYOUT
    PF_UnusedProc get_platform_refs;
#endif
    PF_UnusedProc dispose_world;
    PF_UnusedProc iterate_origin;
    PF_UnusedProc iterate_lut;
    PF_UnusedProc transfer_rect;
    PF_UnusedProc transform_world;
    PF_UnusedProc host_new_handle;
    PF_UnusedProc host_lock_handle;
    PF_UnusedProc host_unlock_handle;
    PF_UnusedProc host_dispose_handle;
    PF_UnusedProc get_callback_addr;
    PF_UnusedProc app;
    PF_ANSICallbacks ansi;
    PF_ColorCallbacks colorCB;
    PF_UnusedProc get_platform_data;
#if ORV_LEGACY_LAYOUT
    PF_UnusedProc get_cgraf_data;
#endif
} PF_UtilCallbacks;

typedef struct {
    PF_InteractCallbacks inter;
    struct _PF_UtilCallbacks *utils;
    PF_ProgPtr effect_ref;
    PF_Quality quality;
    PF_SpecVersion version;
    A_long serial_num;
    A_long appl_id;
    A_long num_params;
    A_long reserved;
    A_long what_cpu;
    A_long what_fpu;
#if ORV_LEGACY_LAYOUT
    void *qd_globals;
#endif
    A_long current_time;
    A_long time_step;
    A_long total_time;
    A_long local_time_step;
    A_u_long time_scale;
    A_long field;
    PF_Fixed shutter_angle;
    A_long width;
    A_long height;
    PF_Rect extent_hint;
    A_long output_origin_x;
    A_long output_origin_y;
    PF_RationalScale downsample_x;
    PF_RationalScale downsample_y;
    PF_RationalScale pixel_aspect_ratio;
    A_long in_flags;
    PF_Handle global_data;
    PF_Handle sequence_data;
    PF_Handle frame_data;
    A_long start_sampL;
    A_long dur_sampL;
    A_long total_sampL;
    PF_SoundWorld src_snd;
    void *pica_basicP;
    A_long pre_effect_source_origin_x;
    A_long pre_effect_source_origin_y;
    PF_Fixed shutter_phase;
} PF_InData;

typedef struct {
    A_u_long my_version;
    A_char name[32];
    PF_Handle global_data;
    A_long num_params;
    PF_Handle sequence_data;
    A_long flat_sdata_size;
    PF_Handle frame_data;
    A_long width;
    A_long height;
    PF_Point origin;
    PF_OutFlags out_flags;
    A_char return_msg[256];
    A_long start_sampL;
    A_long dur_sampL;
    PF_SoundWorld dest_snd;
    PF_OutFlags2 out_flags2;
} PF_OutData;

// The effect entry point the host calls.
typedef PF_Err (*PF_FilterProc)(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                PF_LayerDef *output, void *extra);

#ifdef __cplusplus
}
#endif

#pragma pack(pop)

enum {
    PF_Cmd_ABOUT = 0,
    PF_Cmd_GLOBAL_SETUP = 1,
    PF_Cmd_UNUSED_0 = 2,
    PF_Cmd_GLOBAL_SETDOWN = 3,
    PF_Cmd_PARAMS_SETUP = 4,
    PF_Cmd_SEQUENCE_SETUP = 5,
    PF_Cmd_SEQUENCE_RESETUP = 6,
    PF_Cmd_SEQUENCE_FLATTEN = 7,
    PF_Cmd_SEQUENCE_SETDOWN = 8,
    PF_Cmd_DO_DIALOG = 9,
    PF_Cmd_FRAME_SETUP = 10,
    PF_Cmd_RENDER = 11,
    PF_Cmd_FRAME_SETDOWN = 12,
    PF_Cmd_USER_CHANGED_PARAM = 13,
    PF_Cmd_UPDATE_PARAMS_UI = 14,
    PF_Cmd_EVENT = 15,
    PF_Cmd_GET_EXTERNAL_DEPENDENCIES = 16,
    PF_Cmd_COMPLETELY_GENERAL = 17
};

enum {
    PF_Param_RESERVED = -1,
    PF_Param_LAYER = 0,
    PF_Param_SLIDER = 1,
    PF_Param_FIX_SLIDER = 2,
    PF_Param_ANGLE = 3,
    PF_Param_CHECKBOX = 4,
    PF_Param_COLOR = 5,
    PF_Param_POINT = 6,
    PF_Param_POPUP = 7
};

enum {
    PF_ParamFlag_CANNOT_TIME_VARY = 2,
    PF_ParamFlag_CANNOT_INTERP = 4,
    PF_ParamFlag_COLLAPSE_TWIRLY = 32,
    PF_ParamFlag_START_COLLAPSED = 32
};

enum { PF_ChangeFlag_NONE = 0, PF_ChangeFlag_CHANGED_VALUE = 1 };
enum { PF_Quality_LO = 0, PF_Quality_HI = 1 };

enum {
    PF_OutFlag_NONE = 0,
    PF_OutFlag_KEEP_RESOURCE_OPEN = 1,
    PF_OutFlag_NON_PARAM_VARY = 4,
    PF_OutFlag_DISPLAY_ERROR_MESSAGE = 256
};

enum { PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 1 << 27 };

enum {
    PF_Err_NONE = 0,
    PF_Err_OUT_OF_MEMORY = 4,
    PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
    PF_Err_INVALID_INDEX = 513,
    PF_Err_UNRECOGNIZED_PARAM_TYPE = 514,
    PF_Err_INVALID_CALLBACK = 515,
    PF_Err_BAD_CALLBACK_PARAM = 516
};

enum { PF_ParamIndex_APPEND = -1 };

#define PF_ADD_PARAM(in_data, index, def) ((in_data)->inter.add_param((in_data)->effect_ref, (index), (def)))

#endif
