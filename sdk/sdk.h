// Every declaration of the host interface in one include.
#pragma once

#include "sdk/aegp_suites.h"
#include "sdk/drawbot.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"
#include "sdk/pf_params.h"
#include "sdk/pf_smartfx.h"
#include "sdk/pf_suites.h"
#include "sdk/pf_types.h"
#include "sdk/sp_basic.h"
