// The Vorlan game runtime: everything a game calls. Include this header only.
//
// Numbers cross the API as double; counts, indices and slot numbers are
// truncated toward zero. Truth values are 1.0 and 0.0. Text is RtString.
#pragma once

#include <vorlan/app.h>
#include <vorlan/audio.h>
#include <vorlan/backgrounds.h>
#include <vorlan/files.h>
#include <vorlan/fonts.h>
#include <vorlan/foreign.h>
#include <vorlan/input.h>
#include <vorlan/net.h>
#include <vorlan/path.h>
#include <vorlan/rt_array.h>
#include <vorlan/rt_string.h>
#include <vorlan/sprites.h>
#include <vorlan/system.h>
#include <vorlan/value.h>
