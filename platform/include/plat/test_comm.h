#pragma once
#include "plat/testing.h"
