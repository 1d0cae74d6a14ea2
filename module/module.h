// Module entry, lifecycle and the two command functions.
#pragma once
#include "host/hostapi.h"

// The maker's web address; start and help pages hang below it.
#define IV_WEB_ADDRESS "https://www.halvorn.example"

// Runs of the watermark command since the module was loaded.
extern int g_nRunCount;

void initModule();
void registerDemandLoading();
void unloadModule();

void cmdWaterMark();
void cmdHelp();
void openStartPage();
