#pragma once
#include "windows.h"
#include "plat/shell.h"
