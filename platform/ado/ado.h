// The data-access interface the module is written against: include this one header.
//
// The names are those of the ADO type library's wrapper classes (#import of
// msado15 with EOF renamed adoEOF); properties are their Get/Put accessor
// methods (GetBOF, GetadoEOF, GetCollect, PutCollect, GetFields, GetCount,
// GetItem, GetName, GetValue, GetState).
#pragma once

#include "ado_connection.h"
#include "ado_enums.h"
#include "ado_fields.h"
#include "ado_recordset.h"
#include "ado_statistics.h"
#include "bstr.h"
#include "com_error.h"
#include "com_ptr.h"
#include "result_rows.h"
#include "variant.h"
