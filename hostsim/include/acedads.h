// Editor input, selection sets and command execution.
#pragma once
#include "adsdef.h"

extern "C" {
int acedGetPoint(const ads_point pt, const ACHAR* prompt, ads_point result);
int acedGetCorner(const ads_point pt, const ACHAR* prompt, ads_point result);
int acedGetInt(const ACHAR* prompt, int* result);
int acedGetReal(const ACHAR* prompt, ads_real* result);
int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result);
int acedInitGet(int val, const ACHAR* kwl);
int acedGetDist(const ads_point pt, const ACHAR* prompt, ads_real* result);
int acedGetAngle(const ads_point pt, const ACHAR* prompt, ads_real* result);
int acedGetKword(const ACHAR* prompt, ACHAR* result);
int acedGetInput(ACHAR* str);
int acedSSGet(const ACHAR* str, const void* pt1, const void* pt2, const struct resbuf* filter, ads_name ss);
int acedSSFree(const ads_name sname);
int acedSSLength(const ads_name sname, long* len);
int acedSSName(const ads_name ss, long i, ads_name entres);
int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result);
int acedCommand(int rtype, ...);
int acedCmd(const struct resbuf* rbp);
int acedSetVar(const ACHAR* sym, const struct resbuf* val);
int acedGetVar(const ACHAR* sym, struct resbuf* result);
int acedTrans(const ads_point pt, const struct resbuf* from, const struct resbuf* to, int disp,
              ads_point result);
ACHAR* acedGetAppName();
}
