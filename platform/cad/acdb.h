// The drawing database of the CAD runtime: everything a module needs to open, change and
// save drawings.
#pragma once

#include "cad/adsdef.h"
#include "cad/db/ac_array.h"
#include "cad/db/cm_color.h"
#include "cad/db/db_block_reference.h"
#include "cad/db/db_block_table.h"
#include "cad/db/db_curves.h"
#include "cad/db/db_database.h"
#include "cad/db/db_entity.h"
#include "cad/db/db_extents.h"
#include "cad/db/db_misc_entities.h"
#include "cad/db/db_object.h"
#include "cad/db/db_subent.h"
#include "cad/db/db_symbol_table.h"
#include "cad/db/db_text.h"
#include "cad/db/ge_geometry.h"
#include "cad/db/object_id.h"
#include "cad/db/resbuf_util.h"
#include "cad/db/rx_object.h"
