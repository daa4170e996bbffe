#include "search/ranklookup.h"
