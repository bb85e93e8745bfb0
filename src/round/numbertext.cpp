#include "round/numbertext.h"
