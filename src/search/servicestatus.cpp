#include "search/servicestatus.h"
