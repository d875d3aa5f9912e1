// The whole host interface in one include.
#pragma once

#include "hostapi/commands.h"
#include "hostapi/database.h"
#include "hostapi/dialogs.h"
#include "hostapi/documents.h"
#include "hostapi/editor.h"
#include "hostapi/entities.h"
#include "hostapi/geometry.h"
#include "hostapi/layerstate.h"
#include "hostapi/resbuf.h"
#include "hostapi/rxclass.h"
#include "hostapi/symtables.h"
#include "hostapi/winshim.h"

