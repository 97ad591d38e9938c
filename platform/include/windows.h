// The layer's Windows API: the names and signatures the programs call.
#pragma once

#include "plat/wintypes.h"
#include "plat/kernel.h"
#include "plat/gdi.h"
#include "plat/user.h"
#include "plat/controls.h"
#include "plat/resources.h"
#include "plat/dialogs.h"
#include "plat/boxes.h"
#include "plat/commdlg_api.h"
