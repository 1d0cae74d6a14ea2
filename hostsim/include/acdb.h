// Database-wide enumerations and DXF group codes.
#pragma once
#include "adesk.h"

struct AcDb {
    enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };
    enum FilerType {
        kFileFiler = 0,
        kCopyFiler = 1,
        kUndoFiler = 2,
        kBagFiler = 3,
        kIdXlateFiler = 4,
        kPageFiler = 5,
        kDeepCloneFiler = 6,
        kIdFiler = 7,
        kPurgeFiler = 8,
        kWblockCloneFiler = 9,
    };
    typedef Adesk::Int16 DxfCode;
    enum {
        kDxfInvalid = -9999,
        kDxfEnd = -1,
        kDxfStart = 0,
        kDxfText = 1,
        kDxfAttributeTag = 2,
        kDxfSymbolTableName = 2,
        kDxfHandle = 5,
        kDxfLinetypeName = 6,
        kDxfTextStyleName = 7,
        kDxfLayerName = 8,
        kDxfXCoord = 10,
        kDxfYCoord = 20,
        kDxfZCoord = 30,
        kDxfReal = 40,
        kDxfLinetypeScale = 48,
        kDxfAngle = 50,
        kDxfVisibility = 60,
        kDxfColor = 62,
        kDxfInt16 = 70,
        kDxfInt32 = 90,
        kDxfSubclass = 100,
        kDxfEmbeddedObjectStart = 101,
        kDxfControlString = 102,
        kDxfXReal = 140,
        kDxfXInt16 = 170,
        kDxfNormalX = 210,
        kDxfInt8 = 280,
        kDxfBool = 290,
        kDxfXTextString = 300,
        kDxfSoftPointerId = 330,
        kDxfHardPointerId = 340,
        kDxfSoftOwnershipId = 350,
        kDxfHardOwnershipId = 360,
        kDxfLineWeight = 370,
        kDxfComment = 999,
        kDxfXdAsciiString = 1000,
        kDxfRegAppName = 1001,
    };
    enum LineWeight {
        kLnWt000 = 0,
        kLnWt005 = 5,
        kLnWt009 = 9,
        kLnWt013 = 13,
        kLnWt015 = 15,
        kLnWt018 = 18,
        kLnWt020 = 20,
        kLnWt025 = 25,
        kLnWt030 = 30,
        kLnWt035 = 35,
        kLnWt040 = 40,
        kLnWt050 = 50,
        kLnWt053 = 53,
        kLnWt060 = 60,
        kLnWt070 = 70,
        kLnWt080 = 80,
        kLnWt090 = 90,
        kLnWt100 = 100,
        kLnWt106 = 106,
        kLnWt120 = 120,
        kLnWt140 = 140,
        kLnWt158 = 158,
        kLnWt200 = 200,
        kLnWt211 = 211,
        kLnWtByLayer = -1,
        kLnWtByBlock = -2,
        kLnWtByLwDefault = -3,
    };
    enum Visibility { kInvisible = 1, kVisible = 0 };
    // Why objects are being cloned, and what a clone does with a record of
    // the same name already in the target.
    enum DeepCloneType {
        kDcCopy = 0,
        kDcExplode = 1,
        kDcBlock = 2,
        kDcXrefBind = 3,
        kDcSymTableMerge = 4,
        kDcInsert = 6,
        kDcWblock = 7,
        kDcObjects = 8,
        kDcXrefInsert = 9,
        kDcInsertCopy = 10,
        kDcWblkObjects = 11
    };
    enum DuplicateRecordCloning {
        kDrcNotApplicable = 0,
        kDrcIgnore = 1,
        kDrcReplace = 2,
        kDrcXrefMangleName = 3,
        kDrcMangleName = 4,
        kDrcUnmangleName = 5
    };
    enum UnitsValue {
        kUnitsUndefined = 0,
        kUnitsInches = 1,
        kUnitsFeet = 2,
        kUnitsMiles = 3,
        kUnitsMillimeters = 4,
        kUnitsCentimeters = 5,
        kUnitsMeters = 6,
        kUnitsKilometers = 7,
        kUnitsMicroinches = 8,
        kUnitsMils = 9,
        kUnitsYards = 10,
        kUnitsAngstroms = 11,
        kUnitsNanometers = 12,
        kUnitsMicrons = 13,
        kUnitsDecimeters = 14,
        kUnitsDekameters = 15,
        kUnitsHectometers = 16,
        kUnitsGigameters = 17,
        kUnitsAstronomical = 18,
        kUnitsLightYears = 19,
        kUnitsParsecs = 20,
        kUnitsMax = kUnitsParsecs
    };
    enum LineSpacingStyle { kAtLeast = 1, kExactly = 2 };
    enum AcDbDwgVersion {
        kDHL_1800 = 25,
        kDHL_1021 = 27,
        kDHL_1024 = 29,
        kDHL_1027 = 31,
#if IRONVEIL_RELEASE == 16
        kDHL_CURRENT = kDHL_1800,
#elif IRONVEIL_RELEASE == 18
        kDHL_CURRENT = kDHL_1024,
#else
        kDHL_CURRENT = kDHL_1027,
#endif
    };
    enum MaintenanceReleaseVersion {
        kMRelease0 = 0,
        kMRelease6 = 6,
        kMRelease8 = 8,
        kMRelease76 = 76,
#if IRONVEIL_RELEASE == 16 && defined(HOSTSIM_BUILDING_CORE)
        // hostsim itself is one host for both release 16 SDKs.
        kMReleaseCurrent = kMRelease0,
#elif IRONVEIL_RELEASE == 16 && IRONVEIL_MAINT == 0
        // To a module, the release 16 declarations stand for the 2004 SDK (0)
        // or the 2006 SDK (76), as its build chose.
        kMReleaseCurrent = kMRelease0,
#elif IRONVEIL_RELEASE == 16
        kMReleaseCurrent = kMRelease76,
#else
        kMReleaseNewest = 8,
        kMReleaseCurrent = kMReleaseNewest,
#endif
    };
};

#if IRONVEIL_RELEASE >= 18
#define ACDB_MODEL_SPACE ACRX_T("*Model_Space")
#define ACDB_PAPER_SPACE ACRX_T("*Paper_Space")
#else
#define ACDB_MODEL_SPACE "*Model_Space"
#define ACDB_PAPER_SPACE "*Paper_Space"
#endif
