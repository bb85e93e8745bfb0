#include "round/roundclock.h"
