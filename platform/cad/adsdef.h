// Basic types and result codes of the CAD runtime, shared by the drawing
// database, the editor functions and the module.
#pragma once

#include <cstdint>

using ACHAR = wchar_t;

namespace Adesk {
using Int8 = std::int8_t;
using Int16 = std::int16_t;
using Int32 = std::int32_t;
using Int64 = std::int64_t;
using UInt8 = std::uint8_t;
using UInt16 = std::uint16_t;
using UInt32 = std::uint32_t;
using UInt64 = std::uint64_t;
using Boolean = bool;
using IntPtr = std::intptr_t;
using LongPtr = std::intptr_t;
using GsMarker = std::intptr_t;
constexpr bool kFalse = false;
constexpr bool kTrue = true;
}  // namespace Adesk

using ads_real = double;
using ads_point = ads_real[3];
using ads_pointp = ads_real*;
using ads_name = Adesk::LongPtr[2];
using ads_namep = Adesk::LongPtr*;

// Editor result codes.
constexpr int RTNORM = 5100;
constexpr int RTNONE = 5000;
constexpr int RTREJ = -5003;
constexpr int RTFAIL = -5004;
constexpr int RTKWORD = -5005;
constexpr int RTCAN = -5002;
constexpr int RTERROR = -5001;

// Result-buffer and acedCommand token types.
constexpr int RTREAL = 5001;
constexpr int RTPOINT = 5002;
constexpr int RTSHORT = 5003;
constexpr int RTANG = 5004;
constexpr int RTSTR = 5005;
constexpr int RTENAME = 5006;
constexpr int RTPICKS = 5007;
constexpr int RTORINT = 5008;
constexpr int RT3DPOINT = 5009;
constexpr int RTLONG = 5010;
constexpr int RTVOID = 5014;
constexpr int RTLB = 5016;
constexpr int RTLE = 5017;
constexpr int RTDOTE = 5018;
constexpr int RTNIL = 5019;
constexpr int RTDXF0 = 5020;
constexpr int RTT = 5021;
constexpr int RTRESBUF = 5023;

// The pause token of acedCommand: the user answers that prompt.
#define PAUSE L"\\"

union ads_u_val {
  ads_real rreal;
  ads_real rpoint[3];
  short rint;
  ACHAR* rstring;
  ads_name rlname;
  Adesk::Int32 rlong;
  Adesk::Int64 mnInt64;
  struct ads_binary {
    short clen;
    char* buf;
  } rbinary;
};

struct resbuf {
  resbuf* rbnext;
  short restype;
  ads_u_val resval;
};

namespace Acad {
enum ErrorStatus {
  eOk = 0,
  eNotImplementedYet = 1,
  eNotApplicable = 2,
  eInvalidInput = 3,
  eAmbiguousInput = 5,
  eAmbiguousOutput = 6,
  eOutOfMemory = 7,
  eBufferTooSmall = 8,
  eInvalidOpenState = 9,
  eEntityInInactiveLayout = 10,
  eDuplicateHandle = 11,
  eNullHandle = 12,
  eBrokenHandle = 13,
  eUnknownHandle = 14,
  eHandleInUse = 15,
  eNullObjectPointer = 16,
  eNullObjectId = 17,
  eNullBlockName = 18,
  eContainerNotEmpty = 19,
  eNullEntityPointer = 20,
  eIllegalEntityType = 21,
  eKeyNotFound = 22,
  eDuplicateKey = 23,
  eInvalidIndex = 24,
  eDuplicateIndex = 25,
  eAlreadyInDb = 26,
  eOutOfDisk = 27,
  eDeletedEntry = 28,
  eNegativeValueNotAllowed = 29,
  eInvalidExtents = 30,
  eInvalidAdsName = 31,
  eInvalidSymbolTableName = 32,
  eInvalidKey = 33,
  eWrongObjectType = 34,
  eWrongDatabase = 35,
  eObjectToBeDeleted = 36,
  eInvalidDwgVersion = 37,
  eAnonymousEntry = 38,
  eIllegalReplacement = 39,
  eEndOfObject = 40,
  eEndOfFile = 41,
  eIsReading = 42,
  eIsWriting = 43,
  eNotOpenForRead = 44,
  eNotOpenForWrite = 45,
  eNotThatKindOfClass = 46,
  eInvalidBlockName = 47,
  eMissingDxfField = 48,
  eDuplicateDxfField = 49,
  eInvalidDxfCode = 50,
  eInvalidResBuf = 51,
  eBadDxfSequence = 52,
  eFilerError = 53,
  eVertexAfterFace = 54,
  eInvalidFaceVertexIndex = 55,
  eInvalidMeshVertexIndex = 56,
  eOtherObjectsBusy = 57,
  eMustFirstAddBlockToDb = 58,
  eCannotNestBlockDefs = 59,
  eDwgRecoveredOK = 60,
  eDwgNotRecoverable = 61,
  eDxfPartiallyRead = 62,
  eDxfReadAborted = 63,
  eDxbPartiallyRead = 64,
  eDwgCRCDoesNotMatch = 65,
  eDwgSentinelDoesNotMatch = 66,
  eDwgObjectImproperlyRead = 67,
  eNoInputFiler = 68,
  eDwgNeedsAFullSave = 69,
  eDxbReadAborted = 70,
  eFileLockedByACAD = 71,
  eFileAccessErr = 72,
  eFileSystemErr = 73,
  eFileInternalErr = 74,
  eFileTooManyOpen = 75,
  eFileNotFound = 76,
  eDwkLockFileFound = 77,
  eWasErased = 78,
  eWasNotErased = 79,
  ePermanentlyErased = 80,
  eWasOpenForRead = 81,
  eWasOpenForWrite = 82,
  eWasOpenForUndo = 83,
  eWasNotifying = 84,
  eWasOpenForNotify = 85,
  eOnLockedLayer = 86,
  eMustOpenThruOwner = 87,
  eSubentitiesStillOpen = 88,
  eAtMaxReaders = 89,
  eIsWriteProtected = 90,
  eIsXRefObject = 91,
  eNotAnEntity = 92,
  eHadMultipleReaders = 93,
  eDuplicateRecordName = 94,
  eXRefDependent = 95,
  eSelfReference = 96,
  eMissingSymbolTable = 97,
  eMissingSymbolTableRec = 98,
  eWasNotOpenForWrite = 99,
  eCloseWasNotifying = 100,
  eCloseModifyAborted = 101,
  eClosePartialFailure = 102,
  eCloseFailObjectDamaged = 103,
  eCannotBeErasedByCaller = 104,
  eCannotBeResurrected = 105,
  eWasNotForwarding = 106,
  eInvalidFileVersion = 107,
  eNoDatabase = 108,
  eNotInDatabase = 109,
  eNotInBlock = 110,
  eInvalidContext = 111,
  eCycleDetected = 112,
  eBadDxfFile = 113,
  eUnknownDxfFile = 114,
  eWasAlreadyOpen = 115,
  eDwgShareDemandLoad = 116,
  eNotOpen = 117,
};
}  // namespace Acad

namespace AcDb {
enum OpenMode { kNotOpen = -1, kForRead = 0, kForWrite = 1, kForNotify = 2 };
}  // namespace AcDb

// Share modes of readDwgFile, as the C runtime's _SH_ values.
constexpr int _SH_DENYRW = 0x10;
constexpr int _SH_DENYWR = 0x20;
constexpr int _SH_DENYRD = 0x30;
constexpr int _SH_DENYNO = 0x40;
