// Utility functions: printing and result-buffer lists.
#pragma once
#include "adsdef.h"

extern "C" {
int acutPrintf(const ACHAR* format, ...);
struct resbuf* acutBuildList(int rtype, ...);
int acutRelRb(struct resbuf* rb);
struct resbuf* acutNewRb(int v);
}
