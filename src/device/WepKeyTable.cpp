#include "WepKeyTable.h"

WepKeyTable g_wepKeyTable = {};
