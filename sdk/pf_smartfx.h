// SmartFX: the extra blocks of PF_Cmd_SMART_PRE_RENDER and PF_Cmd_SMART_RENDER and their
// checkout callbacks.
#pragma once

#include "sdk/pf_types.h"

extern "C" {

typedef A_long PF_ChannelMask;
enum : A_long {
  PF_ChannelMask_ALPHA = 1 << 0,
  PF_ChannelMask_RED = 1 << 1,
  PF_ChannelMask_GREEN = 1 << 2,
  PF_ChannelMask_BLUE = 1 << 3,
  PF_ChannelMask_ARGB = 0xF,
};

// What the host asks of the effect, or the effect of a layer.
struct PF_RenderRequest {
  PF_LRect rect;
  A_long field;
  PF_ChannelMask channel_mask;
  PF_Boolean preserve_rgb_of_zero_alpha;
};

// Result of a layer checkout at pre-render. An empty rectangle has left >= right or top >= bottom.
struct PF_CheckoutResult {
  PF_LRect result_rect;
  PF_LRect max_result_rect;
  PF_RationalScale par;
  PF_Boolean solid;
  A_long ref_width;
  A_long ref_height;
};

struct PF_PreRenderInput {
  PF_RenderRequest output_request;
  A_short bitdepth;
};

struct PF_PreRenderOutput {
  PF_LRect result_rect;
  PF_LRect max_result_rect;
  PF_Boolean solid;
  A_long flags;
  void* pre_render_data;
  void (*delete_pre_render_data_func)(void* pre_render_data);
};

struct PF_PreRenderCallbacks {
  // Asks for parameter `index`'s layer (0 = the input) under the id later used at render.
  PF_Err (*checkout_layer)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_id,
                           const PF_RenderRequest* req, A_long what_time, A_long time_step,
                           A_u_long time_scale, PF_CheckoutResult* result);
};

struct PF_PreRenderExtra {
  PF_PreRenderInput* input;
  PF_PreRenderOutput* output;
  PF_PreRenderCallbacks* cb;
};

struct PF_SmartRenderInput {
  PF_RenderRequest output_request;
  A_short bitdepth;
  void* pre_render_data;
};

// The worlds handed out stay the host's; *pixels is null on failure.
struct PF_SmartRenderCallbacks {
  PF_Err (*checkout_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_id,
                                  PF_EffectWorld** pixels);
  PF_Err (*checkin_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_id);
  PF_Err (*checkout_output)(PF_ProgPtr effect_ref, PF_EffectWorld** output);
};

struct PF_SmartRenderExtra {
  PF_SmartRenderInput* input;
  PF_SmartRenderCallbacks* cb;
};

}  // extern "C"
