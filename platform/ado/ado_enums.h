// The data-access objects' enumerations (the ad... constants), with their values.
#pragma once

enum CursorTypeEnum {
  adOpenUnspecified = -1,
  adOpenForwardOnly = 0,
  adOpenKeyset = 1,
  adOpenDynamic = 2,
  adOpenStatic = 3,
};

enum LockTypeEnum {
  adLockUnspecified = -1,
  adLockReadOnly = 1,
  adLockPessimistic = 2,
  adLockOptimistic = 3,
  adLockBatchOptimistic = 4,
};

enum CommandTypeEnum {
  adCmdUnspecified = -1,
  adCmdText = 1,
  adCmdTable = 2,
  adCmdStoredProc = 4,
  adCmdUnknown = 8,
  adCmdFile = 256,
  adCmdTableDirect = 512,
};

enum ExecuteOptionEnum {
  adOptionUnspecified = -1,
  adAsyncExecute = 0x10,
  adAsyncFetch = 0x20,
  adExecuteNoRecords = 0x80,
};

enum ConnectOptionEnum {
  adConnectUnspecified = -1,
  adAsyncConnect = 0x10,
};

enum AffectEnum {
  adAffectCurrent = 1,
  adAffectGroup = 2,
  adAffectAll = 3,
  adAffectAllChapters = 4,
};

enum ObjectStateEnum {
  adStateClosed = 0,
  adStateOpen = 1,
  adStateConnecting = 2,
  adStateExecuting = 4,
  adStateFetching = 8,
};

enum BookmarkEnum {
  adBookmarkCurrent = 0,
  adBookmarkFirst = 1,
  adBookmarkLast = 2,
};

enum EditModeEnum {
  adEditNone = 0,
  adEditInProgress = 1,
  adEditAdd = 2,
  adEditDelete = 4,
};

enum DataTypeEnum {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adBSTR = 8,
  adBoolean = 11,
  adVariant = 12,
  adBigInt = 20,
  adVarWChar = 202,
  adLongVarWChar = 203,
};

// Error numbers of the data-access objects; the HRESULT is adoError(number).
enum ErrorValueEnum {
  adErrInvalidArgument = 3001,
  adErrNoCurrentRecord = 3021,
  adErrIllegalOperation = 3219,
  adErrFeatureNotAvailable = 3251,
  adErrItemNotFound = 3265,
  adErrObjectClosed = 3704,
  adErrObjectOpen = 3705,
  adErrProviderNotFound = 3706,
  adErrInvalidConnection = 3709,
};
