#include "search/characterpage.h"
