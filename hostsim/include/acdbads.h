// Database helpers of the C interface.
#pragma once
#include "adsdef.h"

extern "C" {
void acdbFail(const ACHAR* str);
}
