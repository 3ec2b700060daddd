// Compile-time proof that the host records have the host's own binary layout for the target being
// built: the classic 32-bit records on i686 Windows, the modern records on x86-64 Windows and natively.
#include "host/ae_interface.h"

#define ORV_AT(type, field, at) static_assert(offsetof(type, field) == (at), #type "." #field " misplaced")
#define ORV_SIZE(type, n) static_assert(sizeof(type) == (n), "sizeof " #type " wrong")

#if ORV_LEGACY_LAYOUT
ORV_AT(PF_InData, inter.add_param, 8);
ORV_AT(PF_InData, utils, 88);
ORV_AT(PF_InData, effect_ref, 92);
ORV_AT(PF_InData, quality, 96);
ORV_AT(PF_InData, version, 100);
ORV_AT(PF_InData, qd_globals, 128);
ORV_AT(PF_InData, current_time, 132);
ORV_AT(PF_InData, width, 160);
ORV_AT(PF_InData, height, 164);
ORV_AT(PF_InData, extent_hint, 168);
ORV_AT(PF_InData, downsample_x.num, 184);
ORV_AT(PF_InData, downsample_x.den, 188);
ORV_AT(PF_InData, downsample_y.num, 192);
ORV_AT(PF_InData, downsample_y.den, 196);
ORV_AT(PF_InData, global_data, 212);
ORV_AT(PF_InData, src_snd, 236);
ORV_AT(PF_InData, pica_basicP, 258);
ORV_AT(PF_InData, shutter_phase, 270);
ORV_SIZE(PF_InData, 274);

ORV_AT(PF_OutData, my_version, 0);
ORV_AT(PF_OutData, global_data, 36);
ORV_AT(PF_OutData, num_params, 40);
ORV_AT(PF_OutData, origin, 64);
ORV_AT(PF_OutData, out_flags, 68);
ORV_AT(PF_OutData, return_msg, 72);
ORV_AT(PF_OutData, dest_snd, 336);
ORV_AT(PF_OutData, out_flags2, 358);
ORV_SIZE(PF_OutData, 362);

ORV_AT(PF_LayerDef, data, 12);
ORV_AT(PF_LayerDef, rowbytes, 16);
ORV_AT(PF_LayerDef, width, 20);
ORV_AT(PF_LayerDef, height, 24);
ORV_AT(PF_LayerDef, extent_hint, 28);
ORV_AT(PF_LayerDef, platform_ref, 36);
ORV_AT(PF_LayerDef, dephault, 72);
ORV_SIZE(PF_LayerDef, 76);

ORV_SIZE(PF_ParamDef, 148);
ORV_SIZE(PF_ParamDefUnion, 92);
ORV_SIZE(PF_AngleDef, 8);
ORV_SIZE(PF_CheckBoxDef, 12);
ORV_SIZE(PF_PopupDef, 12);

ORV_AT(PF_UtilCallbacks, copy, 32);
ORV_AT(PF_UtilCallbacks, fill, 36);
ORV_AT(PF_UtilCallbacks, new_world, 56);
ORV_AT(PF_UtilCallbacks, dispose_world, 64);
ORV_AT(PF_UtilCallbacks, host_new_handle, 84);
ORV_AT(PF_UtilCallbacks, get_callback_addr, 100);
ORV_AT(PF_UtilCallbacks, app, 104);
ORV_AT(PF_UtilCallbacks, ansi, 108);
ORV_AT(PF_UtilCallbacks, ansi.sprintf, 168);
ORV_AT(PF_UtilCallbacks, ansi.strcpy, 172);
ORV_AT(PF_UtilCallbacks, colorCB, 188);
ORV_AT(PF_UtilCallbacks, get_platform_data, 220);
ORV_AT(PF_UtilCallbacks, get_cgraf_data, 224);
ORV_SIZE(PF_ANSICallbacks, 80);
ORV_SIZE(PF_InteractCallbacks, 88);
#else
ORV_AT(PF_InData, inter.add_param, 16);
ORV_AT(PF_InData, utils, 176);
ORV_AT(PF_InData, effect_ref, 184);
ORV_AT(PF_InData, quality, 192);
ORV_AT(PF_InData, version, 196);
ORV_AT(PF_InData, current_time, 224);
ORV_AT(PF_InData, width, 252);
ORV_AT(PF_InData, height, 256);
ORV_AT(PF_InData, extent_hint, 260);
ORV_AT(PF_InData, downsample_x.num, 284);
ORV_AT(PF_InData, downsample_x.den, 288);
ORV_AT(PF_InData, downsample_y.num, 292);
ORV_AT(PF_InData, downsample_y.den, 296);
ORV_AT(PF_InData, global_data, 312);
ORV_AT(PF_InData, src_snd, 352);
ORV_AT(PF_InData, pica_basicP, 384);
ORV_AT(PF_InData, shutter_phase, 400);
ORV_SIZE(PF_InData, 408);

ORV_AT(PF_OutData, my_version, 0);
ORV_AT(PF_OutData, global_data, 40);
ORV_AT(PF_OutData, num_params, 48);
ORV_AT(PF_OutData, origin, 88);
ORV_AT(PF_OutData, out_flags, 96);
ORV_AT(PF_OutData, return_msg, 100);
ORV_AT(PF_OutData, dest_snd, 368);
ORV_AT(PF_OutData, out_flags2, 400);
ORV_SIZE(PF_OutData, 408);

ORV_AT(PF_LayerDef, data, 24);
ORV_AT(PF_LayerDef, rowbytes, 32);
ORV_AT(PF_LayerDef, width, 36);
ORV_AT(PF_LayerDef, height, 40);
ORV_AT(PF_LayerDef, extent_hint, 44);
ORV_AT(PF_LayerDef, platform_ref, 64);
ORV_AT(PF_LayerDef, pix_aspect_ratio, 88);
ORV_AT(PF_LayerDef, origin_x, 104);
ORV_AT(PF_LayerDef, dephault, 116);
ORV_SIZE(PF_LayerDef, 120);

ORV_SIZE(PF_ParamDef, 176);
ORV_SIZE(PF_ParamDefUnion, 120);
ORV_SIZE(PF_AngleDef, 16);
ORV_SIZE(PF_CheckBoxDef, 16);
ORV_SIZE(PF_PopupDef, 16);

ORV_AT(PF_UtilCallbacks, copy, 64);
ORV_AT(PF_UtilCallbacks, fill, 72);
ORV_AT(PF_UtilCallbacks, new_world, 112);
ORV_AT(PF_UtilCallbacks, dispose_world, 120);
ORV_AT(PF_UtilCallbacks, host_new_handle, 160);
ORV_AT(PF_UtilCallbacks, get_callback_addr, 192);
ORV_AT(PF_UtilCallbacks, app, 200);
ORV_AT(PF_UtilCallbacks, ansi, 208);
ORV_AT(PF_UtilCallbacks, ansi.sprintf, 328);
ORV_AT(PF_UtilCallbacks, ansi.strcpy, 336);
ORV_AT(PF_UtilCallbacks, colorCB, 368);
ORV_AT(PF_UtilCallbacks, get_platform_data, 432);
ORV_SIZE(PF_ANSICallbacks, 160);
ORV_SIZE(PF_InteractCallbacks, 176);
#endif

// Identical in every layout.
ORV_SIZE(PF_RationalScale, 8);
ORV_SIZE(PF_Pixel, 4);
ORV_AT(PF_ParamDef, uu.change_flags, 0);
ORV_AT(PF_ParamDef, ui_width, 8);
ORV_AT(PF_ParamDef, param_type, 12);
ORV_AT(PF_ParamDef, name, 16);
ORV_AT(PF_ParamDef, flags, 48);
ORV_AT(PF_ParamDef, u, 56);
ORV_AT(PF_FixedSliderDef, valid_min, 68);
ORV_AT(PF_FixedSliderDef, dephault, 84);
ORV_AT(PF_FixedSliderDef, precision, 88);
ORV_AT(PF_FixedSliderDef, display_flags, 90);
ORV_SIZE(PF_FixedSliderDef, 92);
ORV_SIZE(PF_SliderDef, 88);
ORV_AT(PF_CheckBoxDef, dephault, 4);
ORV_AT(PF_CheckBoxDef, u.nameptr, 8);
ORV_AT(PF_PopupDef, num_choices, 4);
ORV_AT(PF_PopupDef, dephault, 6);
ORV_AT(PF_PopupDef, u.namesptr, 8);
ORV_AT(PF_PointDef, reserved, 8);
ORV_AT(PF_PointDef, restrict_bounds, 11);
ORV_AT(PF_PointDef, x_dephault, 12);
ORV_AT(PF_PointDef, y_dephault, 16);
ORV_SIZE(PF_PointDef, 20);
ORV_SIZE(PF_ColorDef, 8);
