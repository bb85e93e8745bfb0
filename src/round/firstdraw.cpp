#include "round/firstdraw.h"
