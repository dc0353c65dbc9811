// The shared helper unit: include this to get every text, tick and hexadecimal helper.
#pragma once

#include "util/Debug.h"
#include "util/FormatArgs.h"
#include "util/HexText.h"
#include "util/SystemError.h"
#include "util/TextConvert.h"
#include "util/TextCut.h"
#include "util/Tick.h"
