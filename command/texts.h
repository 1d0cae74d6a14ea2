// The watermark command's prompts and messages that have a Chinese form,
// chosen by the language flag. Messages without one are written where they
// are printed.
#pragma once
#include "host/hostapi.h"

enum IvText {
    kFirstCornerPrompt,
    kSecondCornerPrompt,
    kLinesPrompt,
    kColumnsPrompt,
    kFactPrompt,
    kSelectPrompt,
    kColorPrompt,
};

// The text in English, or in Chinese when `chinese` is set.
const ACHAR* ivText(IvText which, bool chinese);
