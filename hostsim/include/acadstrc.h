// Host status codes.
#pragma once
#include "AdAChar.h"

struct Acad {
    enum ErrorStatus {
        eOk = 0,
        eNotImplementedYet = 1,
        eNotApplicable = 2,
        eInvalidInput = 3,
        eOutOfMemory = 6,
        eInvalidOpenState = 8,
        eNullObjectPointer = 15,
        eNullObjectId = 16,
        eNullEntityPointer = 20,
        eIllegalEntityType = 21,
        eKeyNotFound = 22,
        eDuplicateKey = 23,
        eInvalidIndex = 24,
        eAlreadyInDb = 26,
        eInvalidExtents = 30,
        eWrongDatabase = 35,
        eWrongObjectType = 34,
        eEndOfObject = 40,
        eEndOfFile = 41,
        eNotOpenForRead = 44,
        eNotOpenForWrite = 45,
        eNotThatKindOfClass = 46,
        eMissingDxfField = 48,
        eDuplicateDxfField = 49,
        eInvalidDxfCode = 50,
        eInvalidResBuf = 51,
        eBadDxfSequence = 52,
        eFilerError = 53,
        eWasErased = 80,
        ePermanentlyErased = 81,
        eWasOpenForRead = 82,
        eWasOpenForWrite = 83,
        eWasOpenForUndo = 84,
        eWasNotifying = 85,
        eWasOpenForNotify = 86,
        eOnLockedLayer = 87,
        eAtMaxReaders = 90,
        eNotAnEntity = 93,
        eHadMultipleReaders = 94,
        eCannotBeErasedByCaller = 105,
        eNoDatabase = 124,
        eCannotBeResurrected = 106,
        eWasNotErased = 107,
        eNotInDatabase = 137,
        eInvalidIdMap = 220,
        eInvalidOwnerObject = 221,
        eOwnerNotSet = 222,
        eCannotRestoreFromAcisFile = 300,
        eMakeMeProxy = 301,
        eNLSFileNotAvailable = 302,
        eNotAllowedForThisProxy = 303,
        eLockViolation = 320,
#if IRONVEIL_RELEASE >= 18
        eNullPtr = 506,
#endif
    };
};
#define eNotImplemented eNotImplementedYet

#if IRONVEIL_RELEASE >= 18
const ACHAR* acadErrorStatusText(Acad::ErrorStatus);
#else
extern "C" const char* acadErrorStatusText(Acad::ErrorStatus);
#endif
