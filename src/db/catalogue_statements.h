// Every statement the fan dialog and the model editor send to the catalogue,
// with its text exactly as they send it (letter case, spacing and quoting
// included: users' catalogues and the tests know these texts). Values are put
// in as given, unescaped: a quote in a value makes the statement fail, and the
// wrapper reports it with its text.
//
// The dialogs decide when a statement runs and what its rows mean; this file
// only says what it is. FANDUTY reads the whole catalogue in statements of its
// own (duty/duty_catalogue.cpp).
#pragma once

#include "base/containers.h"
#include "base/cstring.h"

// --- The models of the catalogue -----------------------------------------
// Every model: the series list, and the model editor's grid.
CString SqlAllModels();
// The model editor's own spellings of the same statement: the one whose
// records an edit writes, and the one that a new row's key is chosen from.
CString SqlAllModelsToEdit();
CString SqlAllModelsToNumber();
// The models of a series (the fan number list; the editor's drive mode list).
CString SqlModelsOfSeries(const CString& strBigModel);
CString SqlModelsOfFanNo(const CString& strBigModel, const CString& strFanNo);
CString SqlModelsOfDriveMode(const CString& strBigModel, const CString& strFanNo,
                             const CString& strDriveMode);
// The one model of a series, fan number, drive mode and speed: its ID.
CString SqlModelOfSpeed(const CString& strBigModel, const CString& strFanNo,
                        const CString& strDriveMode, const CString& strSpeed);
// The same model, asked for its label when a fan of it has been placed.
CString SqlPlacedModel(const CString& strBigModel, const CString& strDriveMode,
                       const CString& strFanNo, const CString& strSpeed);
// The models that selection by parameters found, by the ModelID texts of
// their rows, in the catalogue's order.
CString SqlCandidateModels(const CStringArray& modelIDs);

// --- Headings and table styles -------------------------------------------
CString SqlHeadingOfColumn(const CString& strIndexName);
CString SqlColumnOfHeading(const CString& strTableHead);
CString SqlTableStyle(const CString& strBigModel);

// --- A model's parameter and accessory rows ------------------------------
// The rows a grid shows.
CString SqlGridRows(const CString& strTable, int nModelID);
// The rows a grid edit writes into, and the row the spare grid row adds.
CString SqlRowsToEdit(const CString& strTable, int nModelID);
CString SqlAddRow(const CString& strTable, int nModelID);
// Selection by parameters: the rows of a point table within nErrorNum of the
// duty point, and the rows of a range table whose ranges hold it.
CString SqlPointRowsNear(const CString& strTable, double dAllPress, double dFlux, int nErrorNum);
CString SqlRangeRowsHolding(const CString& strTable, double dAllPress, double dFlux);

// --- The model editor ----------------------------------------------------
// The placeholder row each new model gets in its parameter and accessory tables.
CString SqlPlaceholderRows(const CString& strTable, const CString& strKey);
CString SqlAddPlaceholderRow(const CString& strTable, const CString& strKey);
// A deleted model's rows, looked for and then deleted, table by table.
CString SqlParameterRowsOfKey(const CString& strBigModel, int nKey);
CString SqlAccessoryRowsOfKey(const CString& strBigModel, const CString& strDriveMode, int nKey);
CString SqlDeleteRowsOfKey(const CString& strTable, int nKey);
CString SqlModelOfKey(int nKey);
CString SqlDeleteModelOfKey(int nKey);
// The models left that use a view drawing, once a model has been deleted.
CString SqlModelsOfViewDrawing(const CString& strBigModel, const CString& strFanNo,
                               const CString& strDriveMode);
